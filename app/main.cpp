// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmob.h"

#include "desktop/qtservices.h"
#include "desktop/soundidentity.h"
#include "desktop/unixsignals.h"
#include "desktop/x11hints.h"
#include "soundengine/backgroundsound.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTranslator>

#include <cstdlib>

int main(int argc, char *argv[])
{
    desktop::nameTheSoundForMixers("Relógio Trivelandor Ovalen Brakmund", RELOGIO_APP_ID);
    // The platform is chosen as Qt starts, through its environment; the
    // programs the clock starts make their own choice.
    const QByteArray chosen = desktop::platformForSession(QProcessEnvironment::systemEnvironment());
    if (!chosen.isEmpty())
        qputenv("QT_QPA_PLATFORM", chosen);
    QApplication app(argc, argv);
    if (!chosen.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    // The program's name wherever the desktop names the application rather
    // than a window: the tray item's title. Not the display name, which Qt
    // appends to every window title that does not already end with it.
    QApplication::setApplicationName(QStringLiteral("Relógio Trivelandor Ovalen Brakmund"));
    QApplication::setDesktopFileName(QStringLiteral(RELOGIO_APP_ID));
    // The window may wait in the tray with nothing else open; only the exit
    // command and closing the main window end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Logging out, kill and a closed terminal end the program as its exit
    // command does, so the sound stops and nothing is left behind. A signal
    // that comes while the window is being made waits for the event loop.
    desktop::UnixSignals endingSignals;
    desktop::endAtOnceWhenTheDisplayGoes();

    // The program speaks Brazilian Portuguese, and so do Qt's own dialogs
    // and buttons in it.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    int code = 0;
    {
        soundengine::BackgroundSound sound(soundengine::soundModule(soundengine::soundModuleFiles()));
        desktop::QtServices services(sound);
        frmob window(services.services());
        // X11's window class is Latin-1, and task bars and docks match it
        // against the desktop entry's StartupWMClass: plain ASCII, the same
        // for every window of the program. The desktop entry gives the name.
        desktop::createWithWindowClass(&window, QStringLiteral("Relogio"));
        QObject::connect(&endingSignals, &desktop::UnixSignals::received, &window, &frmob::menusair_Click);
        window.show();
        code = QApplication::exec();
    }
    // A sound thread stuck in the sound stack cannot be ended; the libraries
    // it is stuck in must not be torn down beneath it.
    if (soundengine::BackgroundSound::leftThreadsBehind())
        std::_Exit(code);
    return code;
}
