// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces that stand between the program and Qt.

#include "desktop/pacedtimer.h"
#include "desktop/qtservices.h"
#include "desktop/services.h"
#include "desktop/soundidentity.h"
#include "desktop/x11hints.h"
#include "forms/commandbar.h"
#include "forms/events.h"
#include "forms/iconmenu.h"
#include "forms/imagelist.h"
#include "forms/simplestatusbar.h"

#include "environment.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class Recorder : public QObject
{
public:
    QStringList calls;
    void focusIn() { calls << QStringLiteral("in"); }
    void focusOut() { calls << QStringLiteral("out"); }
    void move() { calls << QStringLiteral("move"); }
    void click() { calls << QStringLiteral("click"); }
};

} // namespace

class tst_platform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pace_data();
    void pace();
    void pacedTimerTicksJustAfterTheSecondBegins();
    void imageListFindsByPositionAndKey();
    void iconMenuNamesItemsAndCountsFromZero();
    void commandBarReportsPositionsAndKeepsAllButtonsInSight();
    void eventRouteIgnoresFocusThatLeavesForAPopup();
    void eventRouteStopsPointerMovesAtTheRoutedArea();
    void eventRouteClickNeedsPressAndReleaseInside();
    void statusBarKeepsItsTextWhileHidden();
    void theSoundIsNamedForMixersButNoProgramItStarts();
    void platformForSession_data();
    void platformForSession();
    void boxGoesBesideTheWindow_data();
    void boxGoesBesideTheWindow();
};

void tst_platform::pace_data()
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

void tst_platform::pace()
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

void tst_platform::pacedTimerTicksJustAfterTheSecondBegins()
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

void tst_platform::imageListFindsByPositionAndKey()
{
    forms::ImageList list(QSize(20, 20));
    list.add(QStringLiteral(":/images/08.svg"), QStringLiteral("abrir"));
    list.add(QStringLiteral(":/images/19.svg"));
    list.add(QStringLiteral(":/images/10.svg"), QStringLiteral("minimizar"));

    QCOMPARE(list.position(QStringLiteral("minimizar")), 3);
    QCOMPARE(list.key(1), QStringLiteral("abrir"));
    QCOMPARE(list.position(QString()), 0); // a picture without a key is not found by key
    QVERIFY(list.picture(0).isNull());
    QVERIFY(list.picture(4).isNull());
    QVERIFY(list.picture(QStringLiteral("nenhum")).isNull());

    // Whatever size a picture was drawn for, it is handed out at 20 x 20.
    for (int p = 1; p <= 3; ++p)
        QCOMPARE(list.picture(p).availableSizes().value(0), QSize(20, 20));
    const QImage folder = list.picture(1).pixmap(QSize(20, 20)).toImage();
    const QImage empty = list.picture(2).pixmap(QSize(20, 20)).toImage();
    int opaque = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            QCOMPARE(qAlpha(empty.pixel(x, y)), 0);
            opaque += qAlpha(folder.pixel(x, y)) > 0;
        }
    }
    QVERIFY(opaque > 100);
}

void tst_platform::iconMenuNamesItemsAndCountsFromZero()
{
    QWidget window;
    QMenuBar bar(&window);
    QMenu *menu = bar.addMenu(QStringLiteral("&Menu"));
    QAction *open = menu->addAction(QStringLiteral("Abrir"));
    open->setObjectName(QStringLiteral("menuabrir"));
    QAction *other = menu->addAction(QStringLiteral("Outro"));

    forms::ImageList list(QSize(20, 20));
    list.add(QStringLiteral(":/images/01.svg"));
    list.add(QStringLiteral(":/images/08.svg"), QStringLiteral("abrir"));

    forms::IconMenu icons;
    QVERIFY(!icons.setItemIcon(QStringLiteral("menuabrir"), 1)); // not attached yet
    icons.attachMenus(&window);
    icons.setIconList(&list);
    QVERIFY(icons.setItemIcon(QStringLiteral("menuabrir"), 1));
    QCOMPARE(open->icon().cacheKey(), list.picture(2).cacheKey());
    QVERIFY(other->icon().isNull());
    QVERIFY(!icons.setItemIcon(QStringLiteral("menunada"), 0));
    QVERIFY(!icons.setItemIcon(QStringLiteral("menuabrir"), 2)); // past the list
}

void tst_platform::commandBarReportsPositionsAndKeepsAllButtonsInSight()
{
    QWidget window;
    forms::CommandBar bar(&window);
    bar.setObjectName(QStringLiteral("bar"));
    bar.setGeometry(0, 0, 200, 32);
    const QIcon picture(QStringLiteral(":/images/16.svg"));
    bar.addButton(picture, QStringLiteral("Tocar"), QStringLiteral("Tocar o som"));
    bar.addGap();
    bar.addButton(picture, QStringLiteral("Minimizar"), QStringLiteral("Minimizar"));
    window.show();

    QCOMPARE(bar.count(), 3);
    QVERIFY(bar.button(2) == nullptr);
    QVERIFY(bar.button(4) == nullptr);
    QSignalSpy clicks(&bar, &forms::CommandBar::buttonClick);
    QTest::mouseClick(bar.button(3), Qt::LeftButton);
    QTest::mouseClick(bar.button(1), Qt::LeftButton);
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks.at(0).at(0).toInt(), 3);
    QCOMPARE(clicks.at(1).at(0).toInt(), 1);

    for (int p : {1, 3}) {
        QToolButton *b = bar.button(p);
        QVERIFY(bar.rect().contains(b->geometry()));
        QVERIFY(b->width() >= b->fontMetrics().horizontalAdvance(b->text()));
        QVERIFY(!b->accessibleName().isEmpty());
    }
    QVERIFY(bar.button(1)->geometry().right() < bar.button(3)->geometry().left());
}

void tst_platform::eventRouteIgnoresFocusThatLeavesForAPopup()
{
    QWidget window;
    auto *list = new QComboBox(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    Recorder r;
    forms::on(list).focusIn(&r, &Recorder::focusIn).focusOut(&r, &Recorder::focusOut);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::TabFocusReason);
    r.calls.clear();

    list->setFocus(Qt::TabFocusReason);
    QCOMPARE(r.calls, QStringList{QStringLiteral("in")});
    QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(list, &popupOut);
    QFocusEvent windowOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(list, &windowOut);
    QCOMPARE(r.calls, QStringList{QStringLiteral("in")});
    other->setFocus(Qt::TabFocusReason);
    QCOMPARE(r.calls, (QStringList{QStringLiteral("in"), QStringLiteral("out")}));
}

void tst_platform::eventRouteStopsPointerMovesAtTheRoutedArea()
{
    QWidget window;
    window.resize(200, 200);
    auto *panel = new QWidget(&window);
    panel->setGeometry(0, 0, 100, 100);
    auto *inner = new QWidget(panel);
    inner->setGeometry(10, 10, 30, 30);
    auto *quiet = new QWidget(panel);
    quiet->setGeometry(50, 50, 30, 30);
    Recorder onWindow, onPanel, onInner;
    forms::on(&window).mouseMove(&onWindow, &Recorder::move);
    forms::on(panel).mouseMove(&onPanel, &Recorder::move);
    forms::on(inner).mouseMove(&onInner, &Recorder::move);
    forms::keepPointerEvents(quiet);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(inner, QPoint(5, 5));
    QCOMPARE(onInner.calls.size(), 1);
    QVERIFY(onPanel.calls.isEmpty());
    QVERIFY(onWindow.calls.isEmpty());
    QTest::mouseMove(quiet, QPoint(5, 5));
    QVERIFY(onPanel.calls.isEmpty());
    QTest::mouseMove(panel, QPoint(90, 5));
    QCOMPARE(onPanel.calls.size(), 1);
    QVERIFY(onWindow.calls.isEmpty());
    QTest::mouseMove(&window, QPoint(150, 150));
    QCOMPARE(onWindow.calls.size(), 1);
}

void tst_platform::eventRouteClickNeedsPressAndReleaseInside()
{
    QWidget panel;
    panel.resize(50, 50);
    Recorder r;
    forms::on(&panel).click(&r, &Recorder::click);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(r.calls.size(), 1);
    QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(80, 80));
    QCOMPARE(r.calls.size(), 1);
}

void tst_platform::statusBarKeepsItsTextWhileHidden()
{
    QWidget window;
    forms::SimpleStatusBar bar(&window);
    window.show();
    bar.hide();
    bar.setSimpleText(QStringLiteral(" com um branco à frente"));
    bar.showMessage(QStringLiteral("dica de menu"));
    bar.clearMessage();
    bar.show();
    QCOMPARE(bar.simpleText(), QStringLiteral(" com um branco à frente"));
}

void tst_platform::theSoundIsNamedForMixersButNoProgramItStarts()
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

void tst_platform::platformForSession_data()
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
    QTest::newRow("Plasma") << "KDE" << wl << x << "" << QByteArray();
    QTest::newRow("no desktop named") << "" << wl << x << "" << QByteArray();
}

void tst_platform::platformForSession()
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

void tst_platform::boxGoesBesideTheWindow_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("place");
    const QPoint nowhere(-1, -1);
    QTest::newRow("right") << QRect(491, 260, 298, 349) << QPoint(789, 260);
    QTest::newRow("left") << QRect(900, 40, 298, 349) << QPoint(600, 40);
    QTest::newRow("below") << QRect(100, 40, 1000, 349) << QPoint(100, 389);
    QTest::newRow("nowhere") << QRect(100, 400, 1000, 349) << nowhere;
}

void tst_platform::boxGoesBesideTheWindow()
{
    QFETCH(QRect, window);
    QFETCH(QPoint, place);
    const auto found = desktop::besideTheWindow(window, QSize(300, 143), QRect(0, 32, 1280, 768));
    QCOMPARE(found.value_or(QPoint(-1, -1)), place);
}

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
