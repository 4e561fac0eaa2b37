// The real program on a real X server with a tray host: the tray, and the
// ways the program ends. Run by scripts/test, which provides the server.

#include "desktop.h"

#include <QtTest>

class tst_desktop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void minimizeGoesToTheTrayAndAClickBringsItBack();
    void withoutATrayTheWindowIsNotLost();
    void exitEndsEverythingWhateverIsOpen_data();
    void exitEndsEverythingWhateverIsOpen();
};

void tst_desktop::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QFAIL("needs an X server with a tray host; ./scripts/test starts both");
    QVERIFY2(!trayPanel().isEmpty(), "no tray host (trayer) on the display; ./scripts/test starts one");
}

void tst_desktop::minimizeGoesToTheTrayAndAClickBringsItBack()
{
    RunningClock clock;
    QVERIFY(!clock.waitForWindow().isEmpty());
    const QStringList before = trayIcons();

    for (int round = 0; round < 2; ++round) {
        clock.key(QStringLiteral("F8"));
        QTRY_VERIFY_WITH_TIMEOUT(!clock.isViewable(), 5000);
        // One icon of ours in the tray, never a second one.
        QTRY_COMPARE_WITH_TIMEOUT(trayIcons().size(), before.size() + 1, 5000);
        const QRect panel = trayPanel();
        clock.clickAt(QPoint(panel.right() - 10, panel.center().y()));
        QTRY_VERIFY_WITH_TIMEOUT(clock.isViewable(), 5000);
    }
    QVERIFY(trayIcons().size() <= before.size() + 1);
    QCOMPARE(clock.process().state(), QProcess::Running);
}

void tst_desktop::withoutATrayTheWindowIsNotLost()
{
    // Where the desktop has no notification area, "Minimizar" minimises the
    // window to the task bar instead of hiding it with no way back.
    PrivateDisplay display;
    QVERIFY(!display.name().isEmpty());
    QProcessEnvironment env;
    env.insert(QStringLiteral("DISPLAY"), display.name());
    const QString ours = qEnvironmentVariable("DISPLAY");
    qputenv("DISPLAY", display.name().toLocal8Bit());
    RunningClock clock(env);
    QVERIFY(!clock.waitForWindow().isEmpty());
    clock.key(QStringLiteral("F8"));
    QTest::qWait(1500);
    const bool viewable = clock.isViewable();
    qputenv("DISPLAY", ours.toLocal8Bit());
    QVERIFY2(viewable, "the window went off the screen with no tray to come back from");
    QCOMPARE(clock.process().state(), QProcess::Running);
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
    RunningClock clock;
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
    QCOMPARE(clock.process().exitCode(), 0);
}

QTEST_MAIN(tst_desktop)
#include "tst_desktop.moc"
