// SPDX-License-Identifier: MIT
// The program: the command line, the main window, then the hidden splash,
// then the event loop. Closing the main window ends it.

#include "app/CommandLine.h"
#include "locale/RegionalFormat.h"
#include "app/PlatformTexts.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/Main_splash.h"
#include "ui/main/Ppal.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    // Read before QApplication exists: --help, --version and a bad value need
    // no display, so manual pages can be made from them on a build machine.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const nc::LaunchCommand command = nc::ParseCommandLine(arguments, nc::RegionalNumberFormat());
    if (!command.run)
        return nc::PrintAnswer(command, stdout, stderr);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("neurocontrol"));
    // Ties the windows to the installed desktop entry (its file name without
    // .desktop), so that the desktop shows the entry's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(NC_APP_ID));
    // The 32 x 32 icon; the installed theme icons are drawn by the same program.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // Without the catalogue Qt's own few texts stay English; nothing else changes.
    nc::LoadSpanishPlatformTexts(app);

    nc::TPpal Ppal;
    nc::TSplash Splash(&Ppal);
    Ppal.SetSplash(&Splash);
    nc::ApplyLaunchOptions(Ppal, command.options);
    Ppal.show();
    // The splash waits for the main window's first activation; ask for it, as
    // not every desktop activates a new window by itself.
    Ppal.activateWindow();
    return QApplication::exec();
}
