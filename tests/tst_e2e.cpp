// From start to alarm as a user goes: the real program on a real X server,
// at a fixed time of day, driven by keyboard and pointer only, heard at the
// sound server. Run by scripts/test, which provides the X server, the tray
// host and the sound server.

#include "audiomonitor.h"
#include "scenario.h"

#include <QtTest>

using scenario::setAlarm;
using scenario::waitForAlarmBox;

namespace {

// The day's clock starts here in every scenario; the alarms are a little
// after it.
const QDateTime fakeStart(QDate(2026, 12, 8), QTime(6, 59, 48), Qt::UTC);

QProcessEnvironment fakeTime()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAKETIME_LIBRARY));
    env.insert(QStringLiteral("FAKETIME"), QStringLiteral("@") + fakeStart.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    // Only the wall clock is set back; timers run on the real one.
    env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    return env;
}

} // namespace

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
    // Real wall-clock milliseconds at which the program's clock shows a time.
    static double realTimeOf(const RunningClock &clock, QTime shown)
    {
        return clock.startedAt() + double(fakeStart.time().msecsTo(shown));
    }
    static void openSound(RunningClock &clock, const QString &path)
    {
        QVERIFY2(scenario::openSound(clock, path), "the open dialog did not take the file");
    }
    QString writeSound(const QString &name, const QByteArray &content = {})
    {
        return scenario::writeSound(m_dir, name, content);
    }

    QTemporaryDir m_dir;
};

void tst_e2e::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || AudioMonitor::testSink().isEmpty())
        QFAIL("needs an X server, a tray host and a sound server; ./scripts/test starts them");
    QVERIFY(QFile::exists(QStringLiteral(FAKETIME_LIBRARY)));
    QVERIFY(m_dir.isValid());
}

void tst_e2e::anAlarmSetWithTheListsRingsWithTheChosenSound_data()
{
    QTest::addColumn<QString>("sound"); // empty: the list's own first entry, which Linux does not have
    QTest::addColumn<bool>("tone");     // the program's own tone is heard instead
    QTest::newRow("a WAV file") << "despertar.wav" << false;
    QTest::newRow("spaces and accents in the path") << "Músicas do João/canção de ninar.wav" << false;
    QTest::newRow("the default sound, missing") << "" << true;
    QTest::newRow("a file of 0 bytes") << "vazio.mp3" << true;
    QTest::newRow("a letter renamed .wma") << "carta.wma" << true;
}

void tst_e2e::anAlarmSetWithTheListsRingsWithTheChosenSound()
{
    QFETCH(QString, sound);
    QFETCH(bool, tone);
    QString path;
    if (sound == QStringLiteral("vazio.mp3"))
        path = writeSound(sound, QByteArray(""));
    else if (sound == QStringLiteral("carta.wma"))
        path = writeSound(sound, QByteArray("Querida, não é uma música.\n").repeated(100));
    else if (!sound.isEmpty())
        path = writeSound(sound);

    AudioMonitor monitor(AudioMonitor::testSink());
    RunningClock clock(fakeTime());
    QVERIFY(!clock.waitForWindow().isEmpty());
    if (!path.isEmpty()) {
        openSound(clock, path);
        if (QTest::currentTestFailed())
            return;
        QTest::qWait(300);
        clock.key(QStringLiteral("F5")); // it played at once; stop it
    }
    setAlarm(clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("06"));
    clock.key(QStringLiteral("Tab Tab")); // past the volume to the message
    clock.type(QStringLiteral("Hora de levantar!"));
    QTest::qWait(100);

    const double due = realTimeOf(clock, QTime(7, 0, 6));
    QVERIFY2(wallMs() < due - 1000, "the scenario took too long to set the alarm");
    const QString box = waitForAlarmBox(clock, int(due - wallMs()) + 3000);
    const double shown = wallMs();
    QVERIFY2(!box.isEmpty(), "no alarm box");
    QVERIFY2(shown > due - 300 && shown < due + 1500, qPrintable(QStringLiteral("box %1 ms from its second").arg(shown - due)));
    QTest::qWait(1200);
    const double heard = monitor.firstSoundAfter(due - 300);
    QVERIFY2(heard > 0, "nothing was heard at the alarm");
    QVERIFY2(heard - due < (tone ? 700 : 500), qPrintable(QStringLiteral("heard %1 ms after its second").arg(heard - due)));

    // OK closes the box; the sound plays on, and the clock keeps going.
    clock.key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(clock, 0).isEmpty(), 3000);
    QCOMPARE(clock.process().state(), QProcess::Running);
    clock.key(QStringLiteral("ctrl+F11"));
    QVERIFY(clock.waitForExit(5000));
}

void tst_e2e::theAlarmBringsTheWindowBackFromTheTray()
{
    const QString path = writeSound(QStringLiteral("bandeja.wav"));
    AudioMonitor monitor(AudioMonitor::testSink());
    RunningClock clock(fakeTime());
    QVERIFY(!clock.waitForWindow().isEmpty());
    openSound(clock, path);
    if (QTest::currentTestFailed())
        return;
    clock.key(QStringLiteral("F5"));
    // Set the alarm with "Atualizar" this time, after picking in the lists.
    clock.key(QStringLiteral("Tab shift+Tab"));
    clock.type(QStringLiteral("7"));
    clock.key(QStringLiteral("Tab Tab"));
    clock.type(QStringLiteral("07"));
    clock.key(QStringLiteral("F1"));
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);

    const double due = realTimeOf(clock, QTime(7, 0, 7));
    const QString box = waitForAlarmBox(clock, int(due - wallMs()) + 3000);
    QVERIFY2(!box.isEmpty(), "no alarm box");
    QVERIFY(clock.isViewable());
    QTest::qWait(1200);
    const double heard = monitor.firstSoundAfter(due - 300);
    QVERIFY2(heard > 0 && heard - due < 500, qPrintable(QStringLiteral("heard at %1 ms").arg(heard - due)));
    clock.key(QStringLiteral("Return"), box);
    clock.close();
    QVERIFY(clock.waitForExit(5000));
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
    RunningClock clock(fakeTime());
    QVERIFY(!clock.waitForWindow().isEmpty());
    setAlarm(clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("00"));
    clock.key(keys);
    const QString other = clock.waitForWindowNamed(window);
    QVERIFY(!other.isEmpty());
    const double due = realTimeOf(clock, QTime(7, 0, 0));
    const QString box = waitForAlarmBox(clock, int(due - wallMs()) + 3000);
    QVERIFY2(!box.isEmpty(), "no alarm box");
    QVERIFY(clock.isViewable(other));
    clock.key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(clock, 0).isEmpty(), 3000);
    // The other window is still there and still works; Escape closes it.
    QVERIFY(clock.isViewable(other));
    clock.key(QStringLiteral("Escape"), other);
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(other), 3000);
    QCOMPARE(clock.process().state(), QProcess::Running);
    clock.key(QStringLiteral("ctrl+F11"));
    QVERIFY(clock.waitForExit(5000));
}

void tst_e2e::withoutASoundServerTheAlarmStillShows()
{
    QProcessEnvironment env = fakeTime();
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/pulse"));
    RunningClock clock(env);
    QVERIFY(!clock.waitForWindow().isEmpty());
    setAlarm(clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("00"));
    const double due = realTimeOf(clock, QTime(7, 0, 0));
    const QString box = waitForAlarmBox(clock, int(due - wallMs()) + 3000);
    QVERIFY2(!box.isEmpty(), "no alarm box");
    clock.key(QStringLiteral("Return"), box);
    clock.key(QStringLiteral("F4")); // Play, into nowhere
    QTest::qWait(1000);
    QCOMPARE(clock.process().state(), QProcess::Running);
    clock.close();
    QVERIFY(clock.waitForExit(5000));
    QCOMPARE(clock.process().exitCode(), 0);
}

void tst_e2e::volumeWithoutAMixerSaysSo()
{
    // No mixer is on the search path: the box says what was looked for.
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
    RunningClock clock(env);
    QVERIFY(!clock.waitForWindow().isEmpty());
    clock.key(QStringLiteral("F3"));
    const QString box = waitForAlarmBox(clock, 5000);
    QVERIFY2(!box.isEmpty(), "no message about the missing volume control");
    clock.key(QStringLiteral("Return"), box);
    QTRY_VERIFY_WITH_TIMEOUT(waitForAlarmBox(clock, 0).isEmpty(), 3000);
    QCOMPARE(clock.process().state(), QProcess::Running);
}

QTEST_MAIN(tst_e2e)
#include "tst_e2e.moc"
