#include "app/frmob.h"

#include "platform/qtservices.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("relogio"));
    QApplication::setDesktopFileName(QStringLiteral(RELOGIO_APP_ID));
    // The window may wait in the tray with nothing else open; only the exit
    // command and closing the main window end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::QtServices services;
    frmob window(services.services());
    window.show();
    return QApplication::exec();
}
