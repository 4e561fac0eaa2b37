// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on an X server with a tray host of the test's own: the
// tray, and the ways the program ends. The tests that take the tray host,
// the display or the sound server away start their own, and one starts a
// Wayland compositor.

#include "audiomonitor.h"
#include "desktop.h"
#include "faketime.h"
#include "notificationarea.h"
#include "scenario.h"
#include "soundserver.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

// Everything below a folder, by its path there.
QString leftIn(const QString &folder)
{
    QStringList left;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        left << QDir(folder).relativeFilePath(it.next());
    left.sort();
    return left.join(QStringLiteral(", "));
}

} // namespace

class tst_desktop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void minimizeGoesToTheTrayAndAClickBringsItBack();
    void theWindowIsNeverLostAsTrayHostsComeAndGo();
    void theWindowIsNeverStrandedWhateverTheNotificationArea_data();
    void theWindowIsNeverStrandedWhateverTheNotificationArea();
    void onWaylandTheControlsAreNamedAndTheAlarmBringsTheWindowBack();
    void underAWindowManagerItIsNamedRightAndMinimisedWithoutATray();
    void exitEndsEverythingWhateverIsOpen_data();
    void exitEndsEverythingWhateverIsOpen();
    void theSessionEndingEndsItAsSairDoes_data();
    void theSessionEndingEndsItAsSairDoes();

private:
    // The desktop of the tests that change nothing of it.
    scenario::Stage m_stage;
};

void tst_desktop::initTestCase()
{
    const QString failed = m_stage.setUp();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

void tst_desktop::minimizeGoesToTheTrayAndAClickBringsItBack()
{
    RunningClock clock(m_stage.desktop->environment());
    QVERIFY(!clock.waitForWindow().isEmpty());
    const QString display = m_stage.desktop->display.name();
    const QStringList before = trayIcons(display);

    for (int round = 0; round < 2; ++round) {
        clock.key(QStringLiteral("F8"));
        QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
        // One icon of ours in the tray, never a second one.
        QTRY_COMPARE_WITH_TIMEOUT(trayIcons(display).size(), before.size() + 1, 5000);
        const QRect panel = trayPanel(display);
        clock.clickAt(QPoint(panel.right() - 10, panel.center().y()));
        QTRY_VERIFY_WITH_TIMEOUT(clock.isViewable(), 5000);
    }
    QVERIFY(trayIcons(display).size() <= before.size() + 1);
    QCOMPARE(clock.process().state(), QProcess::Running);
}

void tst_desktop::theWindowIsNeverLostAsTrayHostsComeAndGo()
{
    PrivateDisplay display;
    QVERIFY2(!display.name().isEmpty(), "the X server (Xvfb) did not start");
    RootWindowRequests requests(display.name());
    RunningClock clock(display.environment());
    QVERIFY2(!clock.waitForWindow().isEmpty(), qPrintable(clock.output()));

    // No notification area: "Minimizar" minimises to the task bar.
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(requests.minimiseAskedBy(clock.window()), 5000);
    QVERIFY(clock.isViewable());

    {
        TrayHost tray(display.name());
        QVERIFY2(tray.isRunning(), "the tray host (trayer) did not start");
        clock.key(QStringLiteral("F8"));
        QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(trayIcons(display.name()).size(), 1, 5000);

        // The panel crashes while the window waits in it.
        tray.stop();
        QVERIFY2(waitFor([&] { return clock.isViewable(); }, 2000), "the window is still off the screen after 2 s");
        QVERIFY(clock.isIconic());
    }
    // With no tray to hide in, "Minimizar" leaves the window where it is.
    clock.key(QStringLiteral("F8"));
    QTest::qWait(1000); // nothing to wait for: the window has to stay
    QVERIFY2(clock.isViewable(), "the window went off the screen with no tray to come back from");

    // A new panel: "Minimizar" uses it, and its icon brings the window back.
    TrayHost tray(display.name());
    QVERIFY2(tray.isRunning(), "the tray host (trayer) did not start again");
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(trayIcons(display.name()).size(), 1, 5000);
    const QRect panel = trayPanel(display.name());
    clock.clickAt(QPoint(panel.right() - 10, panel.center().y()));
    QTRY_VERIFY_WITH_TIMEOUT(clock.isViewable(), 5000);
    QVERIFY(!clock.isIconic());
    QCOMPARE(clock.process().state(), QProcess::Running);
}

void tst_desktop::theWindowIsNeverStrandedWhateverTheNotificationArea_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("Xfce's panel and its own tray") << int(NotificationArea::XfceTray);
    QTest::newRow("Xfce's panel and its StatusNotifier plugin") << int(NotificationArea::XfceStatusNotifier);
    QTest::newRow("a watcher that stays while its host goes, as Plasma's") << int(NotificationArea::WatcherAndShell);
}

void tst_desktop::theWindowIsNeverStrandedWhateverTheNotificationArea()
{
    QFETCH(int, kind);
    PrivateDisplay display;
    QVERIFY2(!display.name().isEmpty(), "the X server (Xvfb) did not start");
    SessionBus bus;
    QVERIFY2(bus.isRunning(), "the session bus (dbus-daemon) did not start");
    QProcessEnvironment session = display.environment();
    session.insert(bus.environment());
    // Qt chooses how to show the icon as the program starts: the desktop's
    // notification area is there first, as in a session.
    NotificationArea area(NotificationArea::Kind(kind), session);
    QVERIFY2(area.start(), qPrintable(area.output()));
    RunningClock clock(session);
    QVERIFY2(!clock.waitForWindow().isEmpty(), qPrintable(clock.output()));

    // Its one icon, which keeps the host quiet, and one click brings it back.
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(area.items().size(), 1, 5000);
    const int traffic = area.busTraffic(10000);
    QVERIFY2(traffic < 20, qPrintable(QStringLiteral("%1 messages on the bus in 10 s").arg(traffic)));
    area.activateIcon();
    QTRY_VERIFY_WITH_TIMEOUT(clock.isViewable(), 5000);

    // The host goes while the window waits in it.
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
    area.stop();
    QVERIFY2(waitFor([&] { return clock.isViewable(); }, 2000), "the window is still off the screen after 2 s");
    QVERIFY(clock.isIconic());

    // Once a host is there again, "Minimizar" uses it.
    QVERIFY2(area.start(), qPrintable(area.output()));
    clock.key(QStringLiteral("F8"));
    QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
    area.activateIcon();
    QTRY_VERIFY_WITH_TIMEOUT(clock.isViewable(), 5000);
    QCOMPARE(clock.process().state(), QProcess::Running);
}

void tst_desktop::onWaylandTheControlsAreNamedAndTheAlarmBringsTheWindowBack()
{
    // Without a tray "Minimizar" minimises; a Wayland compositor never says
    // so, and only the compositor's own picture tells where the window is.
    PrivateCompositor compositor;
    QVERIFY2(compositor.isRunning(), qPrintable(compositor.failures()));
    const QImage desktop = compositor.screenshot();
    QVERIFY(!desktop.isNull());
    FakeTime time(QTime(6, 0, 0)); // far from the alarm, however long the set-up takes
    QProcessEnvironment env = compositor.environment();
    env.insert(time.environment());
    RunningClock clock(env);
    const qint64 pid = clock.process().processId();

    // How much of the desktop the window covers. A picture takes the
    // compositor a good part of a second: ask a few times a second only.
    auto covered = [&] { return differingPixels(desktop, compositor.screenshot()); };
    QVERIFY2(waitFor([&] { return covered() > 20000; }, 15000, 250), "the window did not show");
    // What a screen reader says of the controls that Tab reaches: a list's
    // name, then its item.
    QVERIFY(compositor.reads(
        pid, {QStringLiteral("combo box"), QStringLiteral("Hora do alarme; 1"), QStringLiteral("combo box"),
              QStringLiteral("Minutos do alarme; 00"), QStringLiteral("combo box"), QStringLiteral("Segundos do alarme; 00"),
              QStringLiteral("text"),
              QStringLiteral("Hora do alarme em texto; O alarme toca quando o relógio mostra exatamente este texto, "
                             "como 7:05:30; digitar aqui substitui a hora escolhida nas listas"),
              QStringLiteral("slider"), QStringLiteral("Volume do som"), QStringLiteral("text"),
              QStringLiteral("Mensagem do alarme"), QStringLiteral("combo box"),
              QStringLiteral("Som do alarme; C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma")}));
    QVERIFY(compositor.setText(pid, QStringLiteral("Hora do alarme em texto"), QStringLiteral("7:00:00")));
    const qsizetype window = covered();
    QVERIFY(compositor.press(pid, QStringLiteral("Minimizar para a bandeja")));
    // Gone; at most the panel's clock has moved on.
    QVERIFY2(waitFor([&] { return covered() < window / 10; }, 10000, 250), "Minimizar left the window on the screen");
    time.show(QTime(6, 59, 58));
    const double due = time.realTimeOf(QTime(7, 0, 0));

    // At the alarm the window is back. Its box alone covers far less.
    QVERIFY2(waitFor([&] { return covered() > window * 9 / 10; }, int(due - wallMs()) + 5000, 250),
             "the window stayed off the screen at the alarm");
    QVERIFY2(wallMs() > due - 500, "the window came back before the alarm");
    QVERIFY(compositor.press(pid, QStringLiteral("OK")));
    clock.process().terminate();
    QVERIFY(clock.waitForExit(5000));
    QVERIFY2(clock.process().exitCode() == 0, qPrintable(clock.output()));
}

void tst_desktop::underAWindowManagerItIsNamedRightAndMinimisedWithoutATray()
{
    PrivateDisplay display;
    QVERIFY2(!display.name().isEmpty(), "the X server (Xvfb) did not start");
    WindowManager manager(display.name());
    QVERIFY2(manager.isRunning(), qPrintable(manager.output()));
    FakeTime time(QTime(6, 0, 0)); // far from the alarm, however long the set-up takes
    QProcessEnvironment env = display.environment();
    env.insert(time.environment());
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/pulse")); // nothing to hear
    RunningClock clock(env);
    QVERIFY2(!clock.waitForWindow().isEmpty(), qPrintable(clock.output()));
    auto property = [&](const char *name, const QString &window = {}) {
        return runCommand(QStringLiteral("xprop"), {QStringLiteral("-id"), window.isEmpty() ? clock.window() : window,
                                                    QStringLiteral("-notype"), QLatin1String(name)},
                          15000, display.environment());
    };

    // Window managers read the class as Latin-1 and find the desktop entry
    // by it; xprop reads it so too.
    const QString windowClass =
        QRegularExpression(QStringLiteral("WM_CLASS = \"[^\"]*\", \"(.*)\"")).match(property("WM_CLASS")).captured(1);
    QFile entry(QStringLiteral(DESKTOP_ENTRY));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const auto startupClass = QRegularExpression(QStringLiteral("^StartupWMClass=(.*)$"),
                                                 QRegularExpression::MultilineOption)
                                  .match(QString::fromUtf8(entry.readAll()));
    QVERIFY(startupClass.hasMatch());
    QCOMPARE(windowClass, startupClass.captured(1));
    // Motif hints: flags, functions, decorations. Minimise among the
    // functions given, and no minimise button among the decorations.
    const QStringList motif = property("_MOTIF_WM_HINTS").section(QLatin1Char('='), 1).split(QLatin1Char(','));
    QCOMPARE(motif.size(), 5);
    const uint flags = motif[0].trimmed().toUInt(nullptr, 16), functions = motif[1].trimmed().toUInt(nullptr, 16),
               decorations = motif[2].trimmed().toUInt(nullptr, 16);
    QVERIFY2((flags & 1) && !(functions & 1) && (functions & 8), qPrintable(motif.join(QLatin1Char(','))));
    QVERIFY2((flags & 2) && !(decorations & 1) && !(decorations & 0x20), qPrintable(motif.join(QLatin1Char(','))));

    // No tray: "Minimizar" minimises, and the window manager lets it.
    scenario::setAlarm(clock, QStringLiteral("7"), QStringLiteral("00"), QStringLiteral("00"));
    clock.key(QStringLiteral("F8"));
    QTRY_COMPARE_WITH_TIMEOUT(manager.stateOf(clock.window()), QStringLiteral("Iconic"), 5000);
    QVERIFY(!clock.isViewable());

    time.show(QTime(6, 59, 58));
    const QString box = scenario::waitForAlarmBox(clock, 10000);
    QVERIFY2(!box.isEmpty(), qPrintable(clock.output()));
    QTRY_COMPARE_WITH_TIMEOUT(manager.stateOf(clock.window()), QStringLiteral("Normal"), 5000);
    QVERIFY(clock.isViewable());
    // Placed beside the window, the box is shown without a parent, and
    // task bars would list it as a window of its own.
    QVERIFY(property("_NET_WM_STATE", box).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")));
    clock.key(QStringLiteral("Return"), box);
    clock.close();
    QVERIFY(clock.waitForExit(5000));
}

void tst_desktop::exitEndsEverythingWhateverIsOpen_data()
{
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("how");
    QTest::newRow("Sair, Help open") << "F10" << "ctrl+F11";
    QTest::newRow("Sair, About and Help open") << "F9 F10" << "ctrl+F11";
    QTest::newRow("closing the window, Help open") << "F10" << "close";
    QTest::newRow("closing the window, About open") << "F9" << "close";
    QTest::newRow("Sair while a sound plays") << "F4" << "ctrl+F11";
    QTest::newRow("closing the window while a sound plays") << "F4" << "close";
}

void tst_desktop::exitEndsEverythingWhateverIsOpen()
{
    QFETCH(QString, open);
    QFETCH(QString, how);
    RunningClock clock(m_stage.desktop->environment());
    QVERIFY(!clock.waitForWindow().isEmpty());
    for (const QString &key : open.split(QLatin1Char(' '))) {
        clock.key(key);
        if (key == QStringLiteral("F10"))
            QVERIFY(!clock.waitForWindowNamed(QStringLiteral("Ajuda Relógio Trivelandor Ovalen Brakmund!")).isEmpty());
        if (key == QStringLiteral("F9"))
            QVERIFY(!clock.waitForWindowNamed(QStringLiteral("Ovalen Brakmund")).isEmpty());
    }
    QTest::qWait(500);
    if (how == QStringLiteral("close"))
        clock.close();
    else
        clock.key(how);
    QVERIFY2(clock.waitForExit(5000), qPrintable(clock.output()));
    QCOMPARE(clock.process().exitStatus(), QProcess::NormalExit);
    QVERIFY2(clock.process().exitCode() == 0, qPrintable(clock.output()));
}

void tst_desktop::theSessionEndingEndsItAsSairDoes_data()
{
    QTest::addColumn<QString>("open"); // keys pressed first
    QTest::addColumn<int>("signal");   // 0: the X server goes away instead
    QTest::newRow("SIGTERM while a sound plays") << "F4" << SIGTERM;
    QTest::newRow("SIGINT while the open dialog waits") << "F4 F2" << SIGINT;
    QTest::newRow("SIGHUP while a sound plays and About is open") << "F4 F9" << SIGHUP;
    QTest::newRow("the display goes away while a sound plays") << "F4 F9" << 0;
}

void tst_desktop::theSessionEndingEndsItAsSairDoes()
{
    QFETCH(QString, open);
    QFETCH(int, signal);
    PrivateDisplay display;
    QVERIFY2(!display.name().isEmpty(), "the X server (Xvfb) did not start");
    SoundServer sound;
    QVERIFY2(sound.isRunning(), "the sound server (pulseaudio) did not start");
    auto streams = [&](qint64 pid) { return soundStreamsOf(pid, sound.environment()); };
    // Whatever the clock keeps outside itself would be in one of these.
    QTemporaryDir temporary, runtime;
    QProcessEnvironment env = display.environment();
    env.insert(sound.environment());
    env.insert(QStringLiteral("TMPDIR"), temporary.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    RunningClock clock(env);
    QVERIFY2(!clock.waitForWindow().isEmpty(), qPrintable(clock.output()));
    const qint64 pid = clock.process().processId();

    for (const QString &key : open.split(QLatin1Char(' '))) {
        clock.key(key);
        if (key == QStringLiteral("F4")) // the list's first sound is missing: the built-in tone
            QVERIFY2(waitFor([&] { return streams(pid) > 0; }, 20000, 100),
                     qPrintable(QStringLiteral("no sound after Tocar: %1").arg(clock.output())));
        if (key == QStringLiteral("F2"))
            QVERIFY(!clock.waitForWindowNamed(QStringLiteral("Relógio Trivelandor Ovalen Brakmund")).isEmpty());
        if (key == QStringLiteral("F9"))
            QVERIFY(!clock.waitForWindowNamed(QStringLiteral("Ovalen Brakmund")).isEmpty());
    }
    if (signal)
        QCOMPARE(::kill(pid_t(pid), signal), 0);
    else
        display.stop();
    QVERIFY2(clock.waitForExit(10000), qPrintable(clock.output()));
    // Without its display the program cannot go on, and says so.
    QCOMPARE(clock.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(clock.process().exitCode(), signal ? 0 : 1);
    QCOMPARE(streams(pid), 0);
    for (const QTemporaryDir *folder : {&temporary, &runtime}) {
        const QString left = leftIn(folder->path());
        QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("left in %1: %2").arg(folder->path(), left)));
    }
}

QTEST_MAIN(tst_desktop)
#include "tst_desktop.moc"
