// SPDX-License-Identifier: GPL-3.0-or-later
// The original form's controls, made of Qt widgets.

#include "forms/commandbar.h"
#include "forms/events.h"
#include "forms/iconmenu.h"
#include "forms/imagelist.h"
#include "forms/simplestatusbar.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
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

class tst_forms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void imageListFindsByPositionAndKey();
    void iconMenuNamesItemsAndCountsFromZero();
    void commandBarReportsPositionsAndKeepsAllButtonsInSight();
    void eventRouteIgnoresFocusThatLeavesForAPopup();
    void eventRouteStopsPointerMovesAtTheRoutedArea();
    void eventRouteClickNeedsPressAndReleaseInside();
    void statusBarKeepsItsTextWhileHidden();
};

void tst_forms::imageListFindsByPositionAndKey()
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

void tst_forms::iconMenuNamesItemsAndCountsFromZero()
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

void tst_forms::commandBarReportsPositionsAndKeepsAllButtonsInSight()
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

void tst_forms::eventRouteIgnoresFocusThatLeavesForAPopup()
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

void tst_forms::eventRouteStopsPointerMovesAtTheRoutedArea()
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

void tst_forms::eventRouteClickNeedsPressAndReleaseInside()
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

void tst_forms::statusBarKeepsItsTextWhileHidden()
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

QTEST_MAIN(tst_forms)
#include "tst_forms.moc"
