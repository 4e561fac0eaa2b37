// SPDX-License-Identifier: GPL-3.0-or-later
// The sound as the window holds it: the engine loaded from its module on a
// thread of its own when the first sound is needed, and what happens when
// that thread gets stuck in the sound stack.

#include "environment.h"
#include "soundengine/backgroundsound.h"
#include "soundserver.h"

#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <fstream>

class tst_soundmodule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsOnlyWhenASoundIsNeededAndReportsBack();
    void withoutTheModuleTheProgramGoesOn();
    void aStuckEngineNeverHoldsTheWindowAndTheToneStandsIn();
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

// What an engine was asked, written on its thread and read on the test's.
class Log
{
public:
    void add(const QString &line)
    {
        QMutexLocker lock(&m_mutex);
        m_lines << line;
    }
    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

// An engine that records its requests; given a semaphore, it hangs in
// play() until released, as an engine stuck in the sound stack does.
class StuckEngine : public desktop::SoundOutput
{
public:
    StuckEngine(Log &log, QSemaphore *hang) : m_log(log), m_hang(hang) {}
    void play(const QString &path) override
    {
        m_log.add(QStringLiteral("play ") + path);
        if (m_hang)
            m_hang->acquire();
        else
            Q_EMIT soundStarted(path.isEmpty());
    }
    void stop() override { m_log.add(QStringLiteral("stop")); }
    void prepare(const QString &) override {}
    int volume() const override { return 100; }
    void setVolume(int) override {}

private:
    Log &m_log;
    QSemaphore *m_hang;
};

} // namespace

void tst_soundmodule::loadsOnlyWhenASoundIsNeededAndReportsBack()
{
    SoundServer server;
    QVERIFY2(server.isRunning(), "the test's own sound server (pulseaudio) did not start");
    const EnvironmentGuard useServer(server.environment());
    soundengine::BackgroundSound sound(soundengine::soundModule(
        {QStringLiteral("/nonexistent/librelogio-sound.so"), QStringLiteral(SOUND_MODULE)}));
    QSignalSpy started(&sound, &desktop::SoundOutput::soundStarted);
    QSignalSpy durations(&sound, &desktop::SoundOutput::durationChanged);
    QSignalSpy volumes(&sound, &desktop::SoundOutput::volumeChanged);
    sound.setVolume(30);
    sound.stop();
    QCOMPARE(sound.volume(), 30);
    QCOMPARE(volumes.size(), 1);
    QVERIFY(!sound.hasStarted());
    QVERIFY(!multimediaLoaded());

    sound.play(QStringLiteral("/nonexistent.wav")); // the tone, then
    QVERIFY(sound.hasStarted());
    QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 10000);
    QVERIFY(started.first().at(0).toBool());
    QVERIFY(multimediaLoaded());
    QTRY_VERIFY_WITH_TIMEOUT(!durations.isEmpty() && durations.last().at(0).toLongLong() > 2000, 5000);
    QVERIFY(!sound.hasFallenBack());
    sound.stop();
}

void tst_soundmodule::withoutTheModuleTheProgramGoesOn()
{
    soundengine::BackgroundSound sound(soundengine::soundModule({QStringLiteral("/nonexistent/librelogio-sound.so")}), 100);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sound module could not be loaded")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sound module could not be loaded")));
    sound.prepare(QStringLiteral("/tmp/x.wav"));
    sound.play(QStringLiteral("/tmp/x.wav"));
    sound.setVolume(10);
    QTRY_VERIFY(sound.hasFallenBack());
    sound.stop();
    QCOMPARE(sound.volume(), 10);
}

void tst_soundmodule::aStuckEngineNeverHoldsTheWindowAndTheToneStandsIn()
{
    QSemaphore hang;
    Log stuckLog, backupLog;
    int made = 0;
    auto factory = [&]() -> desktop::SoundOutput * {
        return ++made == 1 ? new StuckEngine(stuckLog, &hang) : new StuckEngine(backupLog, nullptr);
    };
    {
        soundengine::BackgroundSound sound(factory, 300);
        QSignalSpy started(&sound, &desktop::SoundOutput::soundStarted);
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 3; ++i) {
            sound.play(QStringLiteral("/música/alarme.mp3"));
            sound.prepare(QStringLiteral("/música/alarme.mp3"));
            sound.setVolume(40 + i);
        }
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));

        // The tone comes from the second engine while the first is stuck.
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 5000);
        QVERIFY(started.first().at(0).toBool());
        QCOMPARE(backupLog.lines().filter(QStringLiteral("play ")), QStringList{QStringLiteral("play ")});

        // Once the first comes back, it does not play over the tone.
        hang.release(10);
        QTRY_COMPARE_WITH_TIMEOUT(stuckLog.lines().value(stuckLog.lines().size() - 1), QStringLiteral("stop"), 5000);
    }
    QVERIFY(!soundengine::BackgroundSound::leftThreadsBehind());
}

QTEST_MAIN(tst_soundmodule)
#include "tst_soundmodule.moc"
