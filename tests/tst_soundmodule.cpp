// The sound module loaded the way the program loads it, when the first
// sound is needed, and heard from through the program's own interface.

#include "platform/lazysoundoutput.h"

#include <QLibrary>
#include <QtTest>

#include <fstream>

class tst_soundmodule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsOnlyWhenASoundIsNeeded();
    void itsSoundsReportThroughTheProgramsInterface();
    void withoutTheModuleTheProgramGoesOn();
};

namespace {

bool multimediaLoaded()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libQt6Multimedia") != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

void tst_soundmodule::loadsOnlyWhenASoundIsNeeded()
{
    platform::LazySoundOutput sound({QStringLiteral(SOUND_MODULE)});
    sound.setVolume(30);
    sound.stop();
    QCOMPARE(sound.volume(), 30);
    QVERIFY(!sound.isLoaded());
    QVERIFY(!multimediaLoaded());
    sound.prepare(QStringLiteral("/nonexistent.wav"));
    QVERIFY(sound.isLoaded());
    QVERIFY(multimediaLoaded());
    QCOMPARE(sound.volume(), 30); // handed on to the module
}

void tst_soundmodule::itsSoundsReportThroughTheProgramsInterface()
{
    platform::LazySoundOutput sound({QStringLiteral("/nonexistent/librelogio-sound.so"), QStringLiteral(SOUND_MODULE)});
    QSignalSpy durations(&sound, &platform::SoundOutput::durationChanged);
    QSignalSpy positions(&sound, &platform::SoundOutput::positionChanged);
    QSignalSpy volumes(&sound, &platform::SoundOutput::volumeChanged);
    sound.play(QStringLiteral("/nonexistent.wav")); // the tone, then
    QTRY_VERIFY_WITH_TIMEOUT(!durations.isEmpty(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 5000);
    sound.setVolume(55);
    QCOMPARE(volumes.size(), 1);
    QCOMPARE(sound.volume(), 55);
    sound.stop();
}

void tst_soundmodule::withoutTheModuleTheProgramGoesOn()
{
    platform::LazySoundOutput sound({QStringLiteral("/nonexistent/librelogio-sound.so")});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sound module could not be loaded")));
    sound.play(QStringLiteral("/tmp/x.wav"));
    sound.prepare(QStringLiteral("/tmp/x.wav"));
    sound.stop();
    sound.setVolume(10);
    QVERIFY(!sound.isLoaded());
    QCOMPARE(sound.volume(), 10);
}

QTEST_MAIN(tst_soundmodule)
#include "tst_soundmodule.moc"
