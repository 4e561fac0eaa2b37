// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life through the real window over fakes: hints under
// the pointer, the colours of the focused fields, the view toggles and the
// way to the tray.

#include "fakes.h"

#include "forms/commandbar.h"
#include "forms/simplestatusbar.h"
#include "forms/syscolors.h"
#include "forms/twips.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using forms::tw;

class tst_window_life : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pointerHints_data();
    void pointerHints();
    void areasWithoutAHintLeaveTheLastOne_data();
    void areasWithoutAHintLeaveTheLastOne();
    void clickOnTheClockPanel();
    void focusColours();
    void statusBarToggle();
    void commandBarToggleMovesTheControls();
    void hintsWrittenWhileTheBarIsHiddenShowLater();
    void sendToTraySetsEverythingEveryTime();
    void onlyMinimisingSendsToTheTray();

private:
    static void showActive(TestWindow &t)
    {
        t.window->show();
        t.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    }
};

void tst_window_life::pointerHints_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<QPoint>("at"); // in twips within the area, somewhere nothing covers it
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("composes");
    QTest::newRow("window surface") << "surface" << QPoint(3000, 2220) << " Relógio Trivelandor Ovalen Brakmund!" << true;
    QTest::newRow("frame") << "fracontroles" << QPoint(4000, 1620) << " Relógio Trivelandor Ovalen Brakmund!" << false;
    QTest::newRow("Picture1") << "Picture1" << QPoint(30, 30) << "Relógio trivelandor Ovalen Brakmund!" << true;
    QTest::newRow("date") << "lbldataatual" << QPoint(300, 100) << "Data Atual!" << false;
    QTest::newRow("time") << "lblhoraatual" << QPoint(300, 100) << "Hora Atual!" << false;
    QTest::newRow("message label") << "lbltexto" << QPoint(300, 100) << "Digite o Texto:" << false;
    QTest::newRow("message box") << "txttexto" << QPoint(600, 600) << "Digite Aqui o seu texto!" << false;
    QTest::newRow("player band") << "media" << QPoint(600, 200) << "Controle do Volume! " << true;
    QTest::newRow("volume slider") << "media_volume" << QPoint(300, 150) << "Controle do Volume! " << true;
}

void tst_window_life::pointerHints()
{
    QFETCH(QString, area);
    QFETCH(QPoint, at);
    QFETCH(QString, hint);
    QFETCH(bool, composes);
    TestWindow t;
    showActive(t);
    t.find<QComboBox>(QStringLiteral("cmbhoras"))->setCurrentIndex(6);
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("antes"));
    QWidget *w = t.find<QWidget>(area);
    const QPoint local(tw(at.x()), tw(at.y()));
    // What is under the pointer there is the area itself or a part of it.
    QWidget *top = t.window->childAt(w->mapTo(t.window.get(), local));
    QVERIFY2(top == w || w->isAncestorOf(top), qPrintable(top ? top->objectName() : QStringLiteral("nothing")));
    QTest::mouseMove(top, top->mapFrom(w, local));
    QCOMPARE(t.statusText(), hint);
    QCOMPARE(t.find<QLineEdit>(QStringLiteral("txthora"))->text(),
             composes ? QStringLiteral("7:00:00") : QStringLiteral("antes"));
}

void tst_window_life::areasWithoutAHintLeaveTheLastOne_data()
{
    QTest::addColumn<QString>("area");
    for (const char *name : {"cmbminutos", "cmbsegundos", "cmbhoras", "cmbdir", "lbldigiteahora",
                             "lbltitulohoraatual", "lbltitulodataatual", "Picture3", "Picture2", "Toolbar1",
                             "Toolbar1_button3", "stbovalen"})
        QTest::newRow(name) << name;
}

void tst_window_life::areasWithoutAHintLeaveTheLastOne()
{
    QFETCH(QString, area);
    TestWindow t;
    showActive(t);
    QTest::mouseMove(t.find<QWidget>(QStringLiteral("lbldataatual")), QPoint(5, 5));
    QCOMPARE(t.statusText(), QStringLiteral("Data Atual!"));
    QWidget *w = t.find<QWidget>(area);
    QTest::mouseMove(w, QPoint(2, 2));
    QTest::mouseMove(w, QPoint(3, w->height() - 2));
    QCOMPARE(t.statusText(), QStringLiteral("Data Atual!"));
    QCOMPARE(t.find<QLineEdit>(QStringLiteral("txthora"))->text(), QStringLiteral("Hora há Dispertar"));
}

void tst_window_life::clickOnTheClockPanel()
{
    TestWindow t;
    showActive(t);
    QWidget *panel = t.find<QWidget>(QStringLiteral("Picture2"));
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(panel->width() / 2, panel->height() - 3));
    QCOMPARE(t.statusText(), QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"));
    // A click on a clock label inside it is not a click on the panel.
    t.window->lbldataatual_MouseMove();
    QTest::mouseClick(t.find<QWidget>(QStringLiteral("lblhoraatual")), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(t.statusText(), QStringLiteral("Data Atual!"));
}

void tst_window_life::focusColours()
{
    TestWindow t;
    showActive(t);
    const QColor resting = forms::systemColor(forms::SysColor::InactiveTitleBar);
    const QColor focused = forms::systemColor(forms::SysColor::WindowBackground);
    QVERIFY(resting != focused);
    auto *message = t.find<QPlainTextEdit>(QStringLiteral("txttexto"));
    auto *sounds = t.find<QComboBox>(QStringLiteral("cmbdir"));
    auto face = [](QWidget *w) { return w->palette().color(QPalette::Active, QPalette::Base); };
    QCOMPARE(face(message), resting);
    QCOMPARE(face(sounds), resting);
    const QString hint = t.statusText();

    QTest::mouseClick(message->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(face(message), focused);
    QTest::keyClick(message, Qt::Key_Tab); // to the sound list
    QCOMPARE(QApplication::focusWidget(), sounds);
    QCOMPARE(face(message), resting);
    QCOMPARE(face(sounds), focused);
    QTest::keyClick(sounds, Qt::Key_Tab);
    QCOMPARE(face(sounds), resting);
    // Colours write no hint.
    QCOMPARE(t.statusText(), hint);
}

void tst_window_life::statusBarToggle()
{
    TestWindow t;
    showActive(t);
    auto *toggle = t.find<QAction>(QStringLiteral("menustatus"));
    auto *bar = t.find<QWidget>(QStringLiteral("stbovalen"));
    const QSize size = t.window->size();
    const QRect frame = t.find<QWidget>(QStringLiteral("fracontroles"))->geometry();
    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!bar->isVisible());
    QCOMPARE(t.window->size(), size);
    QCOMPARE(t.find<QWidget>(QStringLiteral("fracontroles"))->geometry(), frame);
    QTest::keyClick(t.window.get(), Qt::Key_F6);
    QVERIFY(toggle->isChecked());
    QVERIFY(bar->isVisible());
}

void tst_window_life::commandBarToggleMovesTheControls()
{
    TestWindow t;
    showActive(t);
    auto *toggle = t.find<QAction>(QStringLiteral("menubarra"));
    auto *bar = t.find<QWidget>(QStringLiteral("Toolbar1"));
    auto tops = [&] {
        return QList<int>{t.find<QWidget>(QStringLiteral("fracontroles"))->y(),
                          t.find<QWidget>(QStringLiteral("lbltexto"))->y(),
                          t.find<QWidget>(QStringLiteral("txttexto"))->y()};
    };
    const QSize size = t.window->size();
    const QRect player = t.find<QWidget>(QStringLiteral("media"))->geometry();
    QCOMPARE(tops(), (QList<int>{tw(480), tw(2280), tw(2520)}));
    for (int round = 0; round < 3; ++round) {
        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!bar->isVisible());
        QCOMPARE(tops(), (QList<int>{tw(10), tw(1800), tw(2040)}));
        QTest::keyClick(t.window.get(), Qt::Key_F7);
        QVERIFY(toggle->isChecked());
        QVERIFY(bar->isVisible());
        // Back 120 twips lower than it started.
        QCOMPARE(tops(), (QList<int>{tw(600), tw(2280), tw(2520)}));
    }
    QCOMPARE(t.window->size(), size);
    // The player moves with its frame; within it nothing changes.
    QCOMPARE(t.find<QWidget>(QStringLiteral("media"))->geometry(), player);
}

void tst_window_life::hintsWrittenWhileTheBarIsHiddenShowLater()
{
    TestWindow t;
    showActive(t);
    t.window->menustatus_Click();
    QTest::mouseMove(t.find<QWidget>(QStringLiteral("lblhoraatual")), QPoint(5, 5));
    t.window->menustatus_Click();
    QVERIFY(t.find<QWidget>(QStringLiteral("stbovalen"))->isVisible());
    QCOMPARE(t.find<QLabel>(QStringLiteral("simpleText"))->text(), QStringLiteral("Hora Atual!"));
}

void tst_window_life::sendToTraySetsEverythingEveryTime()
{
    TestWindow t;
    showActive(t);
    t.window->menuminimizar_Click();
    t.window->menuminimizar_Click();
    const QStringList once = {QStringLiteral("tip"), QStringLiteral("picture"), QStringLiteral("app"),
                              QStringLiteral("window"), QStringLiteral("show")};
    QCOMPARE(t.fakes.tray.calls, once + once);
    QCOMPARE(t.fakes.tray.tip, QStringLiteral("Trovelandor Ovalen Brakmund!"));
    QCOMPARE(t.fakes.tray.window, t.window.get());
    QCOMPARE(t.fakes.tray.application, QCoreApplication::instance());
    // The stopwatch, the picture of "Sobre".
    QCOMPARE(t.fakes.tray.picture.cacheKey(), t.find<QAction>(QStringLiteral("menusobre"))->icon().cacheKey());
    // "Minimizar" itself leaves the window state alone; the tray does the rest.
    QVERIFY(!t.window->isMinimized());
    // Command-bar button 12 is the same command.
    t.window->Toolbar1_ButtonClick(12);
    QCOMPARE(t.fakes.tray.calls.size(), 15);
}

void tst_window_life::onlyMinimisingSendsToTheTray()
{
    TestWindow t;
    showActive(t);
    t.window->showMaximized();
    QApplication::processEvents();
    t.window->showNormal();
    QApplication::processEvents();
    t.window->Form_Resize();
    QVERIFY(t.fakes.tray.calls.isEmpty());
    t.window->showMinimized();
    QTRY_COMPARE(t.fakes.tray.calls.count(QStringLiteral("show")), 1);
}

QTEST_MAIN(tst_window_life)
#include "tst_window_life.moc"
