// SPDX-License-Identifier: GPL-3.0-or-later
// The clock tick, the alarm and the composition of the alarm time, through
// the real main window over a fake clock.

#include "fakes.h"

#include "alarm/alarm_time.h"

#include "desktop/pacedtimer.h"
#include "desktop/qtservices.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

class tst_alarm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tickWritesDateAndTime();
    void firesOnlyOnTheExactText_data();
    void firesOnlyOnTheExactText();
    void firingPlaysAdvancesShowsAndTellsTheUser();
    void advance_data();
    void advance();
    void advancedListsBecomeTheAlarmOnlyWhenComposed();
    void aFiredTextFiresAgainTheNextDay();
    void theWindowComesBackFromHiding();
    void triggersThatCompose_data();
    void triggersThatCompose();
    void selectionsAloneDoNotCompose();
    void typedAlarmTextIsComparedAsIs();
    void ticksGoOnWhileTheBoxIsOpen();
    void theRealBoxShowsAllOfTheMessageAndDoesNotStopTheRealClock_data();
    void theRealBoxShowsAllOfTheMessageAndDoesNotStopTheRealClock();
    void theSoundIsMadeReadyJustBeforeTheAlarm();

private:
    static QComboBox *list(TestWindow &t, const char *name) { return t.find<QComboBox>(QLatin1String(name)); }
    static void pick(TestWindow &t, const QString &h, const QString &m, const QString &s);
    static QString alarmText(TestWindow &t) { return t.find<QLineEdit>(QStringLiteral("txthora"))->text(); }
};

void tst_alarm::pick(TestWindow &t, const QString &h, const QString &m, const QString &s)
{
    list(t, "cmbhoras")->setCurrentText(h);
    list(t, "cmbminutos")->setCurrentText(m);
    list(t, "cmbsegundos")->setCurrentText(s);
}

void tst_alarm::tickWritesDateAndTime()
{
    TestWindow t;
    t.tickAt(7, 5, 9);
    QCOMPARE(t.find<QLabel>(QStringLiteral("lblhoraatual"))->text(), QStringLiteral("7:05:09"));
    QCOMPARE(t.find<QLabel>(QStringLiteral("lbldataatual"))->text(),
             QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat));
    t.tickAt(0, 0, 0);
    QCOMPARE(t.find<QLabel>(QStringLiteral("lblhoraatual"))->text(), QStringLiteral("0:00:00"));
    t.tickAt(23, 59, 59);
    QCOMPARE(t.find<QLabel>(QStringLiteral("lblhoraatual"))->text(), QStringLiteral("23:59:59"));
    QVERIFY(t.fakes.messageBox.shown.isEmpty());
}

void tst_alarm::firesOnlyOnTheExactText_data()
{
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<bool>("fires");
    QTest::newRow("exact") << "7:05:30" << true;
    QTest::newRow("leading zero") << "07:05:30" << false;
    QTest::newRow("trailing blank") << "7:05:30 " << false;
    QTest::newRow("leading blank") << " 7:05:30" << false;
    QTest::newRow("one second off") << "7:05:31" << false;
    QTest::newRow("hour 24") << "24:05:30" << false;
    QTest::newRow("start text") << "Hora há Dispertar" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_alarm::firesOnlyOnTheExactText()
{
    QFETCH(QString, alarm);
    QFETCH(bool, fires);
    TestWindow t;
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(alarm);
    t.tickAt(7, 5, 30);
    QCOMPARE(t.fakes.messageBox.shown.size(), fires ? 1 : 0);
    QCOMPARE(t.fakes.sound.plays().size(), fires ? 1 : 0);
}

void tst_alarm::firingPlaysAdvancesShowsAndTellsTheUser()
{
    TestWindow t;
    pick(t, QStringLiteral("7"), QStringLiteral("05"), QStringLiteral("30"));
    t.window->ComposeAlarmTime();
    t.find<QPlainTextEdit>(QStringLiteral("txttexto"))->setPlainText(QStringLiteral("Acorda!\nJá é hora."));
    const QString sound = list(t, "cmbdir")->currentText();

    t.tickAt(7, 5, 29);
    QVERIFY(t.fakes.messageBox.shown.isEmpty());
    t.tickAt(7, 5, 30);
    QCOMPARE(t.fakes.sound.plays(), QStringList{QStringLiteral("play ") + sound});
    QCOMPARE(t.fakes.messageBox.shown.size(), 1);
    const auto &box = t.fakes.messageBox.shown.first();
    QCOMPARE(box.title, QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"));
    QCOMPARE(box.text, QStringLiteral("Acorda!\nJá é hora.\r\n\r\n"));
    QCOMPARE(box.parent, t.window.get());
    QCOMPARE(list(t, "cmbminutos")->currentText(), QStringLiteral("06"));
    QCOMPARE(list(t, "cmbhoras")->currentText(), QStringLiteral("7"));
    QCOMPARE(list(t, "cmbsegundos")->currentText(), QStringLiteral("30"));
    QVERIFY(t.window->isVisible());
    // The label keeps the time that fired; the alarm text is unchanged.
    QCOMPARE(alarmText(t), QStringLiteral("7:05:30"));

    // An empty message still gives the box, with only the line breaks.
    t.find<QPlainTextEdit>(QStringLiteral("txttexto"))->clear();
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("7:05:31"));
    t.tickAt(7, 5, 31);
    QCOMPARE(t.fakes.messageBox.shown.last().text, QStringLiteral("\r\n\r\n"));
}

void tst_alarm::advance_data()
{
    // Positions in the lists: the hours list runs from "1" (0) to "24" (23),
    // the minutes from "00" (0) to "59" (59).
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("hourAfter");
    QTest::addColumn<int>("minuteAfter");
    QTest::newRow("a minute") << 6 << 5 << 6 << 6;
    QTest::newRow("58 to 59") << 6 << 58 << 6 << 59;
    QTest::newRow("59 moves the hour only") << 6 << 59 << 7 << 59;
    QTest::newRow("23:59 to 24") << 22 << 59 << 23 << 59;
    QTest::newRow("24:59 stays") << 23 << 59 << 23 << 59;
    QTest::newRow("24:10") << 23 << 10 << 23 << 11;
}

void tst_alarm::advance()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, hourAfter);
    QFETCH(int, minuteAfter);
    QCOMPARE(advanceAlarmLists({hour, minute}, 24), (AlarmLists{hourAfter, minuteAfter}));
}

void tst_alarm::advancedListsBecomeTheAlarmOnlyWhenComposed()
{
    TestWindow t;
    pick(t, QStringLiteral("7"), QStringLiteral("59"), QStringLiteral("30"));
    t.window->menuatualizar_Click();
    t.tickAt(7, 59, 30);
    QCOMPARE(alarmText(t), QStringLiteral("7:59:30"));
    t.window->menuatualizar_Click();
    QCOMPARE(alarmText(t), QStringLiteral("8:59:30"));
    t.tickAt(8, 0, 30);
    QCOMPARE(t.fakes.messageBox.shown.size(), 1);
    t.tickAt(8, 59, 30);
    QCOMPARE(t.fakes.messageBox.shown.size(), 2);

    // At 23:59 the hours reach 24, which never rings.
    pick(t, QStringLiteral("23"), QStringLiteral("59"), QStringLiteral("00"));
    t.window->menuatualizar_Click();
    t.tickAt(23, 59, 0);
    t.window->menuatualizar_Click();
    QCOMPARE(alarmText(t), QStringLiteral("24:59:00"));
    const int shown = t.fakes.messageBox.shown.size();
    for (int h = 0; h < 24; ++h)
        t.tickAt(h, 59, 0);
    QCOMPARE(t.fakes.messageBox.shown.size(), shown);
}

void tst_alarm::aFiredTextFiresAgainTheNextDay()
{
    TestWindow t;
    pick(t, QStringLiteral("6"), QStringLiteral("30"), QStringLiteral("00"));
    t.window->ComposeAlarmTime();
    t.tickAt(6, 30, 0);
    t.fakes.clock.time = t.fakes.clock.time.addDays(1);
    t.window->trmrelogio_Timer();
    QCOMPARE(t.fakes.messageBox.shown.size(), 2);
    QCOMPARE(list(t, "cmbminutos")->currentText(), QStringLiteral("32"));
}

void tst_alarm::theWindowComesBackFromHiding()
{
    TestWindow t;
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("9:00:00"));

    // Hidden, as in the tray.
    t.window->hide();
    bool visibleWhenTold = false;
    t.fakes.messageBox.whileOpen = [&] { visibleWhenTold = t.window->isVisible(); };
    t.tickAt(9, 0, 0);
    QVERIFY(visibleWhenTold);

    // Minimised, as where the desktop has no tray.
    t.window->showMinimized();
    QTRY_VERIFY(t.window->isMinimized());
    t.fakes.messageBox.whileOpen = [&] { visibleWhenTold = t.window->isVisible() && !t.window->isMinimized(); };
    t.fakes.clock.time = t.fakes.clock.time.addDays(1);
    t.window->trmrelogio_Timer();
    QVERIFY(visibleWhenTold);
}

void tst_alarm::triggersThatCompose_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("hint"); // empty: the status bar is left as it was
    QTest::newRow("hours list loses the focus") << "cmbhoras focus out" << "";
    QTest::newRow("seconds list loses the focus") << "cmbsegundos focus out" << "";
    QTest::newRow("pointer over the window") << "surface move" << " Relógio Trivelandor Ovalen Brakmund!";
    QTest::newRow("pointer over Picture1") << "Picture1 move" << "Relógio trivelandor Ovalen Brakmund!";
    QTest::newRow("pointer over the player") << "media move" << "Controle do Volume! ";
    QTest::newRow("Atualizar command") << "menuatualizar" << " Relógio Trivelandor Ovalen Brakmund!";
    QTest::newRow("F1") << "F1" << " Relógio Trivelandor Ovalen Brakmund!";
    QTest::newRow("command bar button 1") << "button 1" << " Relógio Trivelandor Ovalen Brakmund!";
}

void tst_alarm::triggersThatCompose()
{
    QFETCH(QString, trigger);
    QFETCH(QString, hint);
    TestWindow t;
    t.window->show();
    t.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    pick(t, QStringLiteral("13"), QStringLiteral("45"), QStringLiteral("30"));
    const QString before = t.statusText();
    const QString name = trigger.section(QLatin1Char(' '), 0, 0);

    if (trigger.endsWith(QStringLiteral("focus out"))) {
        list(t, name.toLatin1().constData())->setFocus(Qt::TabFocusReason);
        t.find<QPlainTextEdit>(QStringLiteral("txttexto"))->setFocus(Qt::TabFocusReason);
    } else if (trigger.endsWith(QStringLiteral("move"))) {
        QWidget *area = t.find<QWidget>(name);
        // A spot of the area that nothing covers.
        const QPoint spot = name == QStringLiteral("media") ? QPoint(5, 12)
                            : name == QStringLiteral("Picture1") ? QPoint(3, 3)
                                                                 : QPoint(200, 148);
        QTest::mouseMove(area, spot);
    } else if (trigger == QStringLiteral("menuatualizar")) {
        t.find<QAction>(QStringLiteral("menuatualizar"))->trigger();
    } else if (trigger == QStringLiteral("F1")) {
        QTest::keyClick(t.window.get(), Qt::Key_F1);
    } else {
        t.window->Toolbar1_ButtonClick(1);
    }
    QCOMPARE(alarmText(t), QStringLiteral("13:45:30"));
    QCOMPARE(t.statusText(), hint.isEmpty() ? before : hint);
}

void tst_alarm::selectionsAloneDoNotCompose()
{
    TestWindow t;
    t.window->show();
    t.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    QComboBox *minutes = list(t, "cmbminutos");
    // Leaving the hours list (where the focus starts) composes...
    minutes->setFocus(Qt::TabFocusReason);
    QCOMPARE(alarmText(t), QStringLiteral("1:00:00"));
    // ...but picking in the lists, and the minutes list losing the focus, do not.
    QTest::keyClick(minutes, Qt::Key_Down);
    QCOMPARE(minutes->currentText(), QStringLiteral("01"));
    list(t, "cmbhoras")->setCurrentIndex(6);
    t.find<QPlainTextEdit>(QStringLiteral("txttexto"))->setFocus(Qt::TabFocusReason);
    QCOMPARE(alarmText(t), QStringLiteral("1:00:00"));
    // Nor does a tick.
    t.tickAt(7, 1, 0);
    QCOMPARE(alarmText(t), QStringLiteral("1:00:00"));
    QVERIFY(t.fakes.messageBox.shown.isEmpty());
    // Picking an hour is not a change of text: its hint never appears.
    QVERIFY(t.statusText() != QStringLiteral("Selecione a Hora para Dispertar"));
}

void tst_alarm::typedAlarmTextIsComparedAsIs()
{
    TestWindow t;
    t.window->show();
    t.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    auto *alarm = t.find<QLineEdit>(QStringLiteral("txthora"));
    alarm->setFocus(Qt::TabFocusReason);
    alarm->selectAll();
    QTest::keyClicks(alarm, QStringLiteral("5:04:03"));
    t.tickAt(5, 4, 3);
    QCOMPARE(t.fakes.messageBox.shown.size(), 1);
    // The next composition overwrites the typed text, with the lists as the
    // alarm left them.
    t.window->ComposeAlarmTime();
    QCOMPARE(alarm->text(), QStringLiteral("1:01:00"));
}

void tst_alarm::ticksGoOnWhileTheBoxIsOpen()
{
    // The box is modal, yet the clock keeps running behind it, and a second
    // alarm while it is open opens a second box rather than breaking anything.
    TestWindow t;
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("10:00:00"));
    auto *clockLabel = t.find<QLabel>(QStringLiteral("lblhoraatual"));
    QStringList seenWhileOpen;
    int depth = 0;
    t.fakes.messageBox.whileOpen = [&] {
        ++depth;
        if (depth == 1) {
            t.tickAt(10, 0, 1);
            seenWhileOpen << clockLabel->text();
            t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("10:00:02"));
            t.tickAt(10, 0, 2);
            seenWhileOpen << clockLabel->text();
        }
        --depth;
    };
    t.tickAt(10, 0, 0);
    QCOMPARE(seenWhileOpen, (QStringList{QStringLiteral("10:00:01"), QStringLiteral("10:00:02")}));
    QCOMPARE(t.fakes.messageBox.shown.size(), 2);
    QCOMPARE(list(t, "cmbminutos")->currentText(), QStringLiteral("02"));
}

void tst_alarm::theRealBoxShowsAllOfTheMessageAndDoesNotStopTheRealClock_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("a short message") << QStringLiteral("Hora de acordar!") << false;
    // Some 100 kB: the box would be twenty thousand pixels tall.
    QTest::newRow("a message longer than the screen")
        << QStringLiteral("Hora de acordar! ").repeated(6000) + QStringLiteral("Fim.") << true;
}

void tst_alarm::theRealBoxShowsAllOfTheMessageAndDoesNotStopTheRealClock()
{
    QFETCH(QString, message);
    QFETCH(bool, scrolls);
    FakeServices fakes;
    desktop::QtClock clock;
    desktop::QtMessageBox messageBox;
    frmob window({clock, messageBox, fakes.openDialog, fakes.launcher, fakes.sound, fakes.tray});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *clockLabel = window.findChild<QLabel *>(QStringLiteral("lblhoraatual"));
    window.findChild<QPlainTextEdit *>(QStringLiteral("txttexto"))->setPlainText(message);
    window.findChild<QLineEdit *>(QStringLiteral("txthora"))
        ->setText(QTime::currentTime().addSecs(2).toString(QStringLiteral("H:mm:ss")));

    // Watches the box from outside, as the user would, and closes it once
    // the clock behind it has moved on twice.
    QSet<QString> seenWhileOpen;
    bool closed = false;
    bool withinTheScreen = false;
    bool scrolledShown = false;
    QString shown;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QCOMPARE(box->windowTitle(), QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), message + QStringLiteral("\n\n"));
        QCOMPARE(box->buttons().size(), 1);
        if (seenWhileOpen.isEmpty()) {
            withinTheScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
            auto *scrolled = box->findChild<QPlainTextEdit *>();
            scrolled = scrolled && scrolled->isVisible() ? scrolled : nullptr;
            shown = scrolled ? scrolled->toPlainText() : box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            scrolledShown = scrolled != nullptr;
        }
        seenWhileOpen << clockLabel->text();
        if (seenWhileOpen.size() >= 3) {
            box->button(QMessageBox::Ok)->click();
            closed = true;
        }
    });
    watch.start(100);
    QTRY_VERIFY_WITH_TIMEOUT(closed, 15000);
    QCOMPARE(fakes.sound.plays().size(), 1);
    // The whole message was there to read, in a box within the screen.
    QVERIFY(withinTheScreen);
    QCOMPARE(scrolledShown, scrolls);
    QCOMPARE(shown, message + QStringLiteral("\n\n"));
}

void tst_alarm::theSoundIsMadeReadyJustBeforeTheAlarm()
{
    TestWindow t;
    const QString sound = list(t, "cmbdir")->currentText();
    pick(t, QStringLiteral("1"), QStringLiteral("00"), QStringLiteral("00"));
    t.window->ComposeAlarmTime();
    // Setting the alarm, and ticking hours or a minute before it, bring up nothing.
    t.tickAt(0, 0, 0);
    t.tickAt(0, 59, 0);
    t.tickAt(0, 59, 54);
    QVERIFY(t.fakes.sound.calls.isEmpty());
    // Five seconds before, the sound is made ready, and again on each tick
    // until it rings (making it ready twice costs nothing).
    t.tickAt(0, 59, 55);
    QCOMPARE(t.fakes.sound.calls, QStringList{QStringLiteral("prepare ") + sound});
    t.tickAt(0, 59, 59);
    t.tickAt(1, 0, 0);
    QCOMPARE(t.fakes.sound.calls.last(), QStringLiteral("play ") + sound);
    // A typed alarm is made ready the same way, across midnight too.
    t.fakes.sound.calls.clear();
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("0:00:02"));
    t.tickAt(23, 59, 58);
    QCOMPARE(t.fakes.sound.calls, QStringList{QStringLiteral("prepare ") + sound});
}

QTEST_MAIN(tst_alarm)
#include "tst_alarm.moc"
