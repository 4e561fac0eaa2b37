// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's pieces that decide without a desktop: the tick's pace, the
// platform chosen for a session, where the alarm's box goes, how the
// mixers name the sound.

#include "desktop/pacedtimer.h"
#include "desktop/qtservices.h"
#include "desktop/services.h"
#include "desktop/soundidentity.h"
#include "desktop/x11hints.h"

#include "environment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_desktoppieces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pace_data();
    void pace();
    void pacedTimerTicksJustAfterTheSecondBegins();
    void theSoundIsNamedForMixersButNoProgramItStarts();
    void platformForSession_data();
    void platformForSession();
    void boxGoesBesideTheWindow_data();
    void boxGoesBesideTheWindow();
};

void tst_desktoppieces::pace_data()
{
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<qint64>("lastSecond");
    QTest::addColumn<int>("phaseMs");
    QTest::addColumn<bool>("fires");
    QTest::addColumn<int>("sleepMs");
    QTest::newRow("just after a new second begins") << qint64(5010) << qint64(4) << 10 << true << 1000;
    QTest::newRow("late in a new second") << qint64(5700) << qint64(4) << 10 << true << 310;
    QTest::newRow("awake early, in the second that had its tick") << qint64(4995) << qint64(4) << 10 << false << 15;
    QTest::newRow("the clock set back half a second") << qint64(5510) << qint64(5) << 10 << false << 500;
    QTest::newRow("the clock set forward an hour") << qint64(3605020) << qint64(5) << 10 << true << 990;
    QTest::newRow("before 1970") << qint64(-990) << qint64(-2) << 10 << true << 1000;
    QTest::newRow("at the turn of the second") << qint64(5000) << qint64(4) << 1 << true << 1001;
    QTest::newRow("a millisecond before the turn") << qint64(4999) << qint64(4) << 1 << false << 2;
}

void tst_desktoppieces::pace()
{
    QFETCH(qint64, nowMs);
    QFETCH(qint64, lastSecond);
    QFETCH(int, phaseMs);
    QFETCH(bool, fires);
    QFETCH(int, sleepMs);
    const desktop::Pace p = desktop::pace(nowMs, lastSecond, phaseMs);
    QCOMPARE(p.fires, fires);
    QCOMPARE(p.sleepMs, sleepMs);
}

void tst_desktoppieces::pacedTimerTicksJustAfterTheSecondBegins()
{
    desktop::QtClock clock;
    desktop::PacedTimer timer(clock, nullptr);
    QList<qint64> ticks;
    QObject context;
    QObject::connect(&timer, &desktop::PacedTimer::timeout, &context,
                     [&] { ticks << clock.now().toMSecsSinceEpoch(); });
    timer.start();
    QTRY_COMPARE_WITH_TIMEOUT(ticks.size(), 2, 5000);
    timer.stop();
    QCOMPARE(ticks.at(1) / 1000, ticks.at(0) / 1000 + 1);
    // Early in its second even on a busy test machine.
    QVERIFY2(ticks.at(1) % 1000 < 250, qPrintable(QString::number(ticks.at(1) % 1000)));
}

void tst_desktoppieces::theSoundIsNamedForMixersButNoProgramItStarts()
{
    const EnvironmentGuard noName("PULSE_PROP_OVERRIDE_application.name", QByteArray());
    const EnvironmentGuard noId("PULSE_PROP_application.id", QByteArray());
    const EnvironmentGuard noIcon("PULSE_PROP_application.icon_name", QByteArray());
    // What the user's environment says stands.
    const EnvironmentGuard ownRole("PULSE_PROP_media.role", "music");
    desktop::nameTheSoundForMixers("Relógio", "io.example.relogio");
    QCOMPARE(qgetenv("PULSE_PROP_OVERRIDE_application.name"), QByteArray("Relógio"));
    QCOMPARE(qgetenv("PULSE_PROP_application.icon_name"), QByteArray("io.example.relogio"));
    QCOMPARE(qgetenv("PULSE_PROP_media.role"), QByteArray("music"));

    // A mixer started from the clock is not named after it (bash, unlike
    // sh, hands on variables with dots in their names).
    QTemporaryDir dir;
    const QString seen = dir.filePath(QStringLiteral("environment"));
    QVERIFY(desktop::QtProgramLauncher().startDetached(
        QStringLiteral("/bin/bash"), {QStringLiteral("-c"), QStringLiteral("env > \"$0.part\" && mv \"$0.part\" \"$0\""), seen}));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(seen), 10000);
    QFile file(seen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray environment = file.readAll();
    QVERIFY2(!environment.contains("PULSE_PROP_OVERRIDE_application.name")
                 && !environment.contains("PULSE_PROP_application."),
             environment.constData());
    QVERIFY(environment.contains("PULSE_PROP_media.role=music"));
}

void tst_desktoppieces::platformForSession_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("userChoice");
    QTest::addColumn<QByteArray>("platform");
    const QString wl = QStringLiteral("wayland-0"), x = QStringLiteral(":0");
    QTest::newRow("GNOME with XWayland") << "GNOME" << wl << x << "" << QByteArray("xcb");
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << wl << x << "" << QByteArray("xcb");
    QTest::newRow("GNOME without XWayland") << "GNOME" << wl << "" << "" << QByteArray();
    QTest::newRow("GNOME on X11") << "GNOME" << "" << x << "" << QByteArray();
    QTest::newRow("the user's choice") << "GNOME" << wl << x << "wayland" << QByteArray();
    QTest::newRow("Plasma with XWayland") << "KDE" << wl << x << "" << QByteArray("xcb");
    QTest::newRow("no desktop named") << "" << wl << x << "" << QByteArray();
}

void tst_desktoppieces::platformForSession()
{
    QFETCH(QString, desktop);
    QFETCH(QString, wayland);
    QFETCH(QString, x11);
    QFETCH(QString, userChoice);
    QProcessEnvironment session;
    for (const auto &[name, value] : {std::pair{"XDG_CURRENT_DESKTOP", desktop}, {"WAYLAND_DISPLAY", wayland},
                                      {"DISPLAY", x11}, {"QT_QPA_PLATFORM", userChoice}}) {
        if (!value.isEmpty())
            session.insert(QLatin1String(name), value);
    }
    QTEST(desktop::platformForSession(session), "platform");
}

void tst_desktoppieces::boxGoesBesideTheWindow_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("place");
    const QPoint nowhere(-1, -1);
    QTest::newRow("right") << QRect(491, 260, 298, 349) << QPoint(789, 260);
    QTest::newRow("left") << QRect(900, 40, 298, 349) << QPoint(600, 40);
    QTest::newRow("below") << QRect(100, 40, 1000, 349) << QPoint(100, 389);
    QTest::newRow("nowhere") << QRect(100, 400, 1000, 349) << nowhere;
}

void tst_desktoppieces::boxGoesBesideTheWindow()
{
    QFETCH(QRect, window);
    QFETCH(QPoint, place);
    const auto found = desktop::besideTheWindow(window, QSize(300, 143), QRect(0, 32, 1280, 768));
    QCOMPARE(found.value_or(QPoint(-1, -1)), place);
}

QTEST_MAIN(tst_desktoppieces)
#include "tst_desktoppieces.moc"
