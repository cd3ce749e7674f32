// SPDX-License-Identifier: MIT
#pragma once
// The program's command line, read before the application object exists, so
// that --help, --version and a bad value answer without a display. Qt's own
// options (-platform, -style, ...) are known here and left for QApplication.

#include "core/numbers/NumberText.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace nc {

class TPpal;

// A ready-made demonstration: the texts for the reference and the speed boxes,
// and whether to start the run once the splash has closed.
struct LaunchOptions {
    QString referencia; // empty: the box keeps its own text
    QString velocidad;  // likewise
    bool iniciar = false;
};

// What the command line asks for: either a run with options, or an answer to
// print (stdout for --help and --version, stderr for an error) and a status.
struct LaunchCommand {
    bool run = true;
    int status = 0;
    QString out;
    QString err; // one line
    LaunchOptions options;
};

inline constexpr int kReferenciaMaxima = 360;

// arguments: the whole argv, the program's name first. `format` is the
// reference box's number format: the option reads a reference as the box
// does, with the regional decimal separator, and names it when refusing one.
LaunchCommand ParseCommandLine(const QStringList& arguments, const NumberFormat& format);

// Prints the answer of a command that does not run: its text on `out`, its
// error line on `err`, and returns its status. A text that cannot be written
// whole (a full disk, a closed standard output) is not taken for success:
// the system's error goes to `err` as one line and the status is 1.
int PrintAnswer(const LaunchCommand& command, std::FILE* out, std::FILE* err);

QString HelpText();
QString VersionText();

// Puts the texts in their boxes and arms the start after the splash.
void ApplyLaunchOptions(TPpal& window, const LaunchOptions& options);

} // namespace nc
