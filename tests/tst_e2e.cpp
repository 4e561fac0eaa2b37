// SPDX-License-Identifier: GPL-3.0-or-later
// From start to alarm as a user goes: the real program on an X server, a
// tray host and a sound server of the test's own, driven by keyboard and
// pointer only, heard at the sound server. The program's clock starts at
// 6:00 and is moved on to just before each alarm once it is set.

#include "audiomonitor.h"
#include "faketime.h"
#include "scenario.h"

#include <QTest>

#include <memory>

using scenario::setAlarm;
using scenario::waitForAlarmBox;

class tst_e2e : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void anAlarmSetWithTheListsRingsWithTheChosenSound_data();
    void anAlarmSetWithTheListsRingsWithTheChosenSound();
    void theAlarmBringsTheWindowBackFromTheTray();
    void theAlarmRingsWhateverWindowIsOpen_data();
    void theAlarmRingsWhateverWindowIsOpen();
    void withoutASoundServerTheAlarmStillShows();
    void volumeWithoutAMixerSaysSo();

private:
    // Listens from now on; made by the tests that listen, before their set-up.
    void listen() { m_monitor = std::make_unique<AudioMonitor>(SoundServer::sink(), m_stage.desktop->sound.environment()); }
    // Moves the clock on to just before the alarm and waits for its box;
    // fails the test unless the box came on its second.
    QString ring(RunningClock &clock, QTime due);
    // When the first sound after the alarm was heard, in milliseconds after
    // its second; -1 if none was.
    double heardAfter(QTime due);
    static void quit(RunningClock &clock);

    scenario::Stage m_stage;
    std::unique_ptr<AudioMonitor> m_monitor;
};

void tst_e2e::initTestCase()
{
    const QString failed = m_stage.setUp();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

QString tst_e2e::ring(RunningClock &clock, QTime due)
{
    m_stage.time.show(due.addSecs(-2));
    return m_stage.boxOnItsSecond(clock, due);
}

double tst_e2e::heardAfter(QTime due)
{
    const double dueMs = m_stage.time.realTimeOf(due);
    const double heard = m_monitor->waitForSoundAfter(dueMs - 300, 3000);
    return heard > 0 ? heard - dueMs : -1;
}

void tst_e2e::quit(RunningClock &clock)
{
    clock.key(QStringLiteral("ctrl+F11"));
    QVERIFY(clock.waitForExit(5000));
    QVERIFY2(clock.process().exitCode() == 0, qPrintable(clock.output()));
}

void tst_e2e::anAlarmSetWithTheListsRingsWithTheChosenSound_data()
{
    QTest::addColumn<QString>("sound"); // empty: the list's own first entry, which Linux does not have
    QTest::addColumn<QByteArray>("content"); // null: four seconds of a sine
    QTest::addColumn<bool>("tone");     // the program's own tone is heard instead
    QTest::addColumn<SoundServer::Kind>("server");
    const auto pulse = SoundServer::PulseAudio;
    QTest::newRow("a WAV file") << "despertar.wav" << QByteArray() << false << pulse;
    QTest::newRow("a WAV file on PipeWire") << "despertar.wav" << QByteArray() << false << SoundServer::PipeWire;
    QTest::newRow("spaces and accents in the path") << "Músicas do João/canção de ninar.wav" << QByteArray() << false << pulse;
    QTest::newRow("the default sound, missing") << "" << QByteArray() << true << pulse;
    QTest::newRow("a file of 0 bytes") << "vazio.mp3" << QByteArray("") << true << pulse;
    QTest::newRow("a letter renamed .wma") << "carta.wma" << QByteArray("Querida, não é uma música.\n").repeated(100) << true << pulse;
}

void tst_e2e::anAlarmSetWithTheListsRingsWithTheChosenSound()
{
    QFETCH(QString, sound);
    QFETCH(QByteArray, content);
    QFETCH(bool, tone);
    QFETCH(SoundServer::Kind, server);
    if (m_stage.desktop->sound.kind() != server)
        QVERIFY(m_stage.desktop->sound.startAs(server));
    listen();
    auto clock = m_stage.start();
    QVERIFY(clock);
    if (!sound.isEmpty()) {
        QVERIFY2(scenario::openSound(*clock, scenario::writeSound(m_stage.dir, sound, content)),
                 "the open dialog did not take the file");
        clock->key(QStringLiteral("F5")); // it played at once; stop it
    }
    setAlarm(*clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("06"));
    clock->key(QStringLiteral("Tab Tab")); // past the volume to the message
    clock->type(QStringLiteral("Hora de levantar!"));

    const QTime due(7, 0, 6);
    const QString box = ring(*clock, due);
    QVERIFY(!box.isEmpty());
    const double heard = heardAfter(due);
    QVERIFY2(heard > -300, "nothing was heard at the alarm");
    QVERIFY2(heard < scenario::lateMs, qPrintable(QStringLiteral("heard %1 ms after its second").arg(heard)));
    const double pitch = m_monitor->waitForPitchAt(m_stage.time.realTimeOf(due) + heard + 20, 2000);
    QVERIFY2(tone == (qAbs(pitch - scenario::soundPitch) > 40), qPrintable(QStringLiteral("heard %1 Hz").arg(pitch)));
    // Mixers list the sound under the clock's name and icon, as an alarm.
    const QStringList streams = soundStreamPropertiesOf(clock->process().processId(), m_stage.desktop->sound.environment());
    QVERIFY(!streams.isEmpty());
    for (const QString &stream : streams) {
        for (const QString &property : {QStringLiteral("application.name = \"Relógio Trivelandor Ovalen Brakmund\""),
                                        QStringLiteral("application.icon_name = \"io.github.trivelandor.relogio\""),
                                        QStringLiteral("media.role = \"alarm\"")})
            QVERIFY2(stream.contains(property), qPrintable(stream));
    }

    // OK closes the box; the sound plays on, and the clock keeps going.
    clock->key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(*clock, 0).isEmpty(), 3000);
    QCOMPARE(clock->process().state(), QProcess::Running);
    quit(*clock);
}

void tst_e2e::theAlarmBringsTheWindowBackFromTheTray()
{
    listen();
    auto clock = m_stage.start();
    QVERIFY(clock);
    QVERIFY(scenario::openSound(*clock, scenario::writeSound(m_stage.dir, QStringLiteral("bandeja.wav"))));
    clock->key(QStringLiteral("F5"));
    // Set the alarm with "Atualizar" this time, after picking in the lists.
    clock->key(QStringLiteral("Tab shift+Tab"));
    clock->type(QStringLiteral("7"));
    clock->key(QStringLiteral("Tab Tab"));
    clock->type(QStringLiteral("07"));
    clock->key(QStringLiteral("F1"));
    clock->key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock->isViewable(), 5000);

    const QTime due(7, 0, 7);
    const QString box = ring(*clock, due);
    QVERIFY(!box.isEmpty());
    QVERIFY(clock->isViewable());
    const double heard = heardAfter(due);
    QVERIFY2(heard > -300 && heard < scenario::lateMs, qPrintable(QStringLiteral("heard at %1 ms").arg(heard)));
    clock->key(QStringLiteral("Return"), box);
    clock->close();
    QVERIFY(clock->waitForExit(5000));
}

void tst_e2e::theAlarmRingsWhateverWindowIsOpen_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("window");
    QTest::newRow("Help") << "F10" << "Ajuda Relógio Trivelandor Ovalen Brakmund!";
    QTest::newRow("About") << "F9" << "Ovalen Brakmund";
    QTest::newRow("the open dialog") << "F2" << "Relógio Trivelandor Ovalen Brakmund";
}

void tst_e2e::theAlarmRingsWhateverWindowIsOpen()
{
    QFETCH(QString, keys);
    QFETCH(QString, window);
    auto clock = m_stage.start();
    QVERIFY(clock);
    setAlarm(*clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("00"));
    clock->key(keys);
    const QString other = clock->waitForWindowNamed(window);
    QVERIFY(!other.isEmpty());
    const QString box = ring(*clock, QTime(7, 0, 0));
    QVERIFY(!box.isEmpty());
    QVERIFY(clock->isViewable(other));
    clock->key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(*clock, 0).isEmpty(), 3000);
    // The other window is still there and still works; Escape closes it.
    QVERIFY(clock->isViewable(other));
    clock->key(QStringLiteral("Escape"), other);
    QTRY_VERIFY_WITH_TIMEOUT(!clock->isViewable(other), 3000);
    QCOMPARE(clock->process().state(), QProcess::Running);
    quit(*clock);
}

void tst_e2e::withoutASoundServerTheAlarmStillShows()
{
    QProcessEnvironment nowhere;
    nowhere.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/pulse"));
    auto clock = m_stage.start(nowhere);
    QVERIFY(clock);
    setAlarm(*clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("00"));
    const QString box = ring(*clock, QTime(7, 0, 0));
    QVERIFY(!box.isEmpty());
    clock->key(QStringLiteral("Return"), box);
    clock->key(QStringLiteral("F4")); // Play, into nowhere
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(*clock, 0).isEmpty(), 3000);
    QCOMPARE(clock->process().state(), QProcess::Running);
    clock->close();
    QVERIFY(clock->waitForExit(5000));
    QVERIFY2(clock->process().exitCode() == 0, qPrintable(clock->output()));
}

void tst_e2e::volumeWithoutAMixerSaysSo()
{
    // No mixer is on the search path: the box says what was looked for.
    QProcessEnvironment noMixer;
    noMixer.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
    auto clock = m_stage.start(noMixer);
    QVERIFY(clock);
    clock->key(QStringLiteral("F3"));
    const QString box = waitForAlarmBox(*clock, 5000);
    QVERIFY2(!box.isEmpty(), "no message about the missing volume control");
    clock->key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(*clock, 0).isEmpty(), 3000);
    quit(*clock);
}

QTEST_MAIN(tst_e2e)
#include "tst_e2e.moc"
