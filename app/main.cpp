// The program: the main window first, then the hidden splash, then the event
// loop. Closing the main window ends it.

#include "ui/ErrorBox.h"
#include "ui/Main_splash.h"
#include "ui/Ppal.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("neurocontrol"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));

    nc::TPpal Ppal;
    nc::TSplash Splash(&Ppal);
    Ppal.SetSplash(&Splash);
    Ppal.show();
    // The splash waits for the main window's first activation; ask for it, as
    // not every desktop activates a new window by itself.
    Ppal.activateWindow();
    return QApplication::exec();
}
