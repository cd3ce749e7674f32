#!/bin/sh
# SPDX-License-Identifier: MIT
# Prints what PROGRAM writes for one option (--help or --version), for
# help2man, which runs it as: sh help-text.sh PROGRAM OPTION
#
# help2man finds the synopsis and the options by the headings of the C
# locale ("Usage:", "Options:"); the programs write theirs in Spanish. Only
# those headings are renamed here (they do not appear in the page: they mark
# its SYNOPSIS, OPTIONS and EXAMPLES); every other line passes unchanged.
#
# A program that fails prints nothing here, so that help2man stops instead
# of making a page of an error message (the build checks both options first).
program=$1
option=$2
text=$("$program" "$option") || {
  echo "help-text.sh: '$program $option' failed (exit $?)" >&2
  exit 1
}
printf '%s\n' "$text" | sed -e 's/^Uso:/Usage:/' \
                            -e 's/^Modo de empleo:/Usage:/' \
                            -e 's/^\( \+\)o: /\1or: /' \
                            -e 's/^Opciones:/Options:/' \
                            -e 's/^Ejemplos:/Examples:/'
