// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm rings on its second whatever the sound server and the disk do:
// the real program on an X server and a sound server of the test's own,
// which the test freezes, kills and starts again, and a disk made slow.

#include "audiomonitor.h"
#include "faketime.h"
#include "scenario.h"
#include "soundserver.h"

#include <QTest>

#include <memory>

using scenario::waitForAlarmBox;

class tst_ontime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void aFrozenSoundServerNeitherStopsTheClockNorTheAlarm();
    void aSlowDiskNeitherStopsTheClockNorTheAlarm();
    void aSoundServerThatComesBackPlaysTheNextAlarm_data();
    void aSoundServerThatComesBackPlaysTheNextAlarm();

private:
    // The program started at 6:00 with a sound chosen, played, stopped
    // and the alarm set for 7:00:30.
    std::unique_ptr<RunningClock> startWithAlarm(const QString &sound, const QProcessEnvironment &extra);
    static void waitUntil(double wallClockMs) { QTest::qWait(int(std::max(0.0, wallClockMs - wallMs()))); }
    void quit(RunningClock &clock, const QString &box);

    scenario::Stage m_stage;
    const QTime m_due{7, 0, 30};
};

void tst_ontime::initTestCase()
{
    const QString failed = m_stage.setUp();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

std::unique_ptr<RunningClock> tst_ontime::startWithAlarm(const QString &sound, const QProcessEnvironment &extra)
{
    auto clock = m_stage.start(extra);
    if (!clock)
        return nullptr;
    if (!scenario::openSound(*clock, sound)) {
        qWarning("the open dialog did not take the sound");
        return nullptr;
    }
    clock->key(QStringLiteral("F5")); // it played at once; stop it
    scenario::setAlarm(*clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("30"));
    clock->key(QStringLiteral("Tab Tab")); // past the volume to the message
    clock->type(QStringLiteral("Hora!"));
    return clock;
}

void tst_ontime::quit(RunningClock &clock, const QString &box)
{
    clock.key(QStringLiteral("Return"), box);
    clock.key(QStringLiteral("ctrl+F11"));
    QVERIFY2(clock.waitForExit(10000), qPrintable(clock.output()));
    QVERIFY2(clock.process().exitCode() == 0, qPrintable(clock.output()));
}

void tst_ontime::aFrozenSoundServerNeitherStopsTheClockNorTheAlarm()
{
    auto clock = startWithAlarm(scenario::writeSound(m_stage.dir, QStringLiteral("gelo.wav")), {});
    QVERIFY(clock);
    // Frozen from before the alarm's sound is made ready until after it rings.
    m_stage.time.show(m_due.addSecs(-7));
    m_stage.desktop->sound.freeze();
    waitUntil(m_stage.time.realTimeOf(m_due.addSecs(-3)));
    auto picture = [&] { return scenario::picture(clock->window(), m_stage.desktop->display.environment()); };
    // The time label changes within a second, while the clock runs.
    const QImage before = picture();
    QVERIFY2(waitFor([&] { return picture() != before; }, 2500, 200), "the clock stopped");

    const QString box = m_stage.boxOnItsSecond(*clock, m_due);
    QVERIFY(!box.isEmpty());
    // Out of the way of the clock's labels.
    runCommand(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), box, QStringLiteral("0"), QStringLiteral("600")},
               15000, m_stage.desktop->display.environment());
    QTest::qWait(200);
    const QImage during = picture();
    QVERIFY2(waitFor([&] { return picture() != during; }, 2500, 200), "the clock stopped at the alarm");
    m_stage.desktop->sound.thaw();
    quit(*clock, box);
}

void tst_ontime::aSlowDiskNeitherStopsTheClockNorTheAlarm()
{
    // Every look-up and opening of the sound takes a second and a half once
    // it has been chosen, as on a network share gone to sleep.
    const QString sound = scenario::writeSound(m_stage.dir, QStringLiteral("rede lenta/canção.wav"));
    const QString slowSwitch = m_stage.dir.filePath(QStringLiteral("lento"));
    QProcessEnvironment slow;
    slow.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SLOWFS_LIBRARY));
    slow.insert(QStringLiteral("RELOGIO_SLOW_DIR"), m_stage.dir.filePath(QStringLiteral("rede lenta")));
    slow.insert(QStringLiteral("RELOGIO_SLOW_SWITCH"), slowSwitch);
    auto clock = startWithAlarm(sound, slow);
    QVERIFY(clock);
    QFile(slowSwitch).open(QIODevice::WriteOnly);
    AudioMonitor monitor(SoundServer::sink(), m_stage.desktop->sound.environment());
    m_stage.time.show(m_due.addSecs(-8));

    const QString box = m_stage.boxOnItsSecond(*clock, m_due);
    QFile::remove(slowSwitch);
    QVERIFY(!box.isEmpty());
    // Never silent: the file, or the tone in its place.
    const double due = m_stage.time.realTimeOf(m_due);
    const double heard = monitor.waitForSoundAfter(due - 300, 3000);
    QVERIFY2(heard > 0 && heard - due < 2000, qPrintable(QStringLiteral("heard at %1 ms").arg(heard - due)));
    quit(*clock, box);
}

void tst_ontime::aSoundServerThatComesBackPlaysTheNextAlarm_data()
{
    QTest::addColumn<SoundServer::Kind>("server");
    QTest::newRow("PulseAudio") << SoundServer::PulseAudio;
    QTest::newRow("PipeWire") << SoundServer::PipeWire;
}

void tst_ontime::aSoundServerThatComesBackPlaysTheNextAlarm()
{
    QFETCH(SoundServer::Kind, server);
    if (m_stage.desktop->sound.kind() != server)
        QVERIFY(m_stage.desktop->sound.startAs(server));
    auto clock = startWithAlarm(scenario::writeSound(m_stage.dir, QStringLiteral("volta.wav")), {});
    QVERIFY(clock);
    auto monitor = std::make_unique<AudioMonitor>(SoundServer::sink(), m_stage.desktop->sound.environment());
    m_stage.time.show(m_due.addSecs(-6));
    QString box = m_stage.boxOnItsSecond(*clock, m_due);
    QVERIFY(!box.isEmpty());
    QTest::qWait(500);
    // The server dies while the alarm plays, and comes back.
    m_stage.desktop->sound.kill();
    QVERIFY(m_stage.desktop->sound.start());
    clock->key(QStringLiteral("Return"), box);
    // The box must be gone for the main window to take the key.
    QVERIFY(waitFor([&] { return waitForAlarmBox(*clock, 0).isEmpty(); }, 5000));
    clock->key(QStringLiteral("F1")); // the alarm taken from the lists, moved on by a minute

    const QTime next = m_due.addSecs(60);
    m_stage.time.show(next.addSecs(-7));
    monitor = std::make_unique<AudioMonitor>(SoundServer::sink(), m_stage.desktop->sound.environment());
    box = m_stage.boxOnItsSecond(*clock, next);
    QVERIFY(!box.isEmpty());
    const double due = m_stage.time.realTimeOf(next);
    const double heard = monitor->waitForSoundAfter(due - 300, 3000);
    QVERIFY2(heard > 0 && heard - due < scenario::lateMs,
             qPrintable(QStringLiteral("heard at %1 ms; the clock said: %2").arg(heard - due).arg(clock->output())));
    // The file itself, not the tone.
    const double pitch = monitor->waitForPitchAt(heard + 20, 2000);
    QVERIFY2(qAbs(pitch - scenario::soundPitch) < 40,
             qPrintable(QStringLiteral("heard %1 Hz; the clock said: %2").arg(pitch).arg(clock->output())));
    quit(*clock, box);
}

QTEST_MAIN(tst_ontime)
#include "tst_ontime.moc"
