// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as it opens: its lists, menus, pictures, command bar,
// layout and the dispatch of the command bar.

#include "fakes.h"

#include "forms/commandbar.h"
#include "forms/twips.h"
#include "sound/frmmusica.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

using forms::tw;

class tst_startup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsAfterStartUp();
    void alarmTextIsNotComposedAtStartUp();
    void soundInformationIsReadyAndHidden();
    void startsWhenTheDefaultSoundIsMissing();
    void dispatchRunsTheCommandOfEachPosition_data();
    void dispatchRunsTheCommandOfEachPosition();
    void shortcutsRunTheSameCommandsAsTheMenus_data();
    void shortcutsRunTheSameCommandsAsTheMenus();
    void menuPictures();
    void theWordsAreTheProgramsOwn_data();
    void theWordsAreTheProgramsOwn();
    void menusAndCheckMarks();
    void alarmTextBoxIsCoveredButReachableByTab();
    void playerShowsOnlyItsBandAndCorner();
    void everyTextFitsItsBox();
    void focusableControlsHaveAccessibleNames();
};

void tst_startup::listsAfterStartUp()
{
    TestWindow t;
    auto *hours = t.find<QComboBox>(QStringLiteral("cmbhoras"));
    auto *minutes = t.find<QComboBox>(QStringLiteral("cmbminutos"));
    auto *seconds = t.find<QComboBox>(QStringLiteral("cmbsegundos"));
    auto *sounds = t.find<QComboBox>(QStringLiteral("cmbdir"));

    // The hours run 1 to 24 and have no zero.
    QCOMPARE(hours->count(), 24);
    QCOMPARE(hours->itemText(0), QStringLiteral("1"));
    QCOMPARE(hours->itemText(8), QStringLiteral("9"));
    QCOMPARE(hours->itemText(9), QStringLiteral("10"));
    QCOMPARE(hours->itemText(23), QStringLiteral("24"));
    QCOMPARE(hours->findText(QStringLiteral("0")), -1);
    QCOMPARE(hours->findText(QStringLiteral("00")), -1);
    for (QComboBox *list : {minutes, seconds}) {
        QCOMPARE(list->count(), 60);
        for (int i = 0; i < 60; ++i)
            QCOMPARE(list->itemText(i), QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    QCOMPARE(hours->currentText(), QStringLiteral("1"));
    QCOMPARE(minutes->currentText(), QStringLiteral("00"));
    QCOMPARE(seconds->currentText(), QStringLiteral("00"));
    QCOMPARE(sounds->count(), 1);
    QCOMPARE(sounds->currentText(), QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma"));
    for (QComboBox *list : {hours, minutes, seconds, sounds})
        QVERIFY(!list->isEditable());
}

void tst_startup::alarmTextIsNotComposedAtStartUp()
{
    TestWindow t;
    QCOMPARE(t.find<QLineEdit>(QStringLiteral("txthora"))->text(), QStringLiteral("Hora há Dispertar"));
    QCOMPARE(t.statusText(), QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"));
    QCOMPARE(t.window->windowTitle(), t.statusText());
    // Nothing is played or loaded until the alarm is set.
    QVERIFY(t.fakes.sound.calls.isEmpty());
    // Labels stay empty until the first tick.
    QVERIFY(t.find<QLabel>(QStringLiteral("lblhoraatual"))->text().isEmpty());
}

void tst_startup::soundInformationIsReadyAndHidden()
{
    TestWindow t;
    frmmusica *info = t.window->soundInfoWindow();
    QVERIFY(info);
    QVERIFY(!info->isVisible());
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QVERIFY(!info->isVisible());
    QCOMPARE(t.soundFact("lbldir"), QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma"));
}

void tst_startup::startsWhenTheDefaultSoundIsMissing()
{
    // The default path names nothing on Linux: its facts are empty, and the
    // window opens all the same.
    TestWindow t;
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    for (const char *fact : {"lblnome", "lblextensao", "lbltamanho", "lblatributos"})
        QVERIFY(t.soundFact(fact).isEmpty());
}

void tst_startup::dispatchRunsTheCommandOfEachPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("effect");
    QTest::newRow("1 Atualizar") << 1 << "compose";
    QTest::newRow("2 separator") << 2 << "";
    QTest::newRow("3 Abrir Som") << 3 << "dialog";
    QTest::newRow("4 separator") << 4 << "";
    QTest::newRow("5 Volume") << 5 << "volume";
    QTest::newRow("6 separator") << 6 << "";
    QTest::newRow("7 Tocar") << 7 << "play";
    QTest::newRow("8 Parar") << 8 << "stop";
    QTest::newRow("9 separator") << 9 << "";
    QTest::newRow("10 Ajuda") << 10 << "help";
    QTest::newRow("11 separator") << 11 << "";
    QTest::newRow("12 Minimizar") << 12 << "tray";
    QTest::newRow("0 out of range") << 0 << "";
    QTest::newRow("13 out of range") << 13 << "";
}

namespace {

// What one command did, as seen from outside the window.
QStringList effectsOf(TestWindow &t)
{
    QStringList effects;
    if (t.find<QLineEdit>(QStringLiteral("txthora"))->text() != QStringLiteral("Hora há Dispertar"))
        effects << QStringLiteral("compose");
    if (t.fakes.openDialog.opened)
        effects << QStringLiteral("dialog");
    if (!t.fakes.launcher.lookedUp.isEmpty())
        effects << QStringLiteral("volume");
    if (!t.fakes.sound.plays().isEmpty())
        effects << QStringLiteral("play");
    if (t.fakes.sound.calls.contains(QStringLiteral("stop")))
        effects << QStringLiteral("stop");
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == QStringLiteral("frmajuda"))
            effects << QStringLiteral("help");
        if (w->isVisible() && w->objectName() == QStringLiteral("frmovalen"))
            effects << QStringLiteral("about");
    }
    if (t.fakes.tray.calls.contains(QStringLiteral("show")))
        effects << QStringLiteral("tray");
    return effects;
}

} // namespace

void tst_startup::dispatchRunsTheCommandOfEachPosition()
{
    QFETCH(int, position);
    QFETCH(QString, effect);
    TestWindow t;
    t.fakes.launcher.installed = {QStringLiteral("pavucontrol")};
    const QString statusBefore = t.statusText();
    t.window->Toolbar1_ButtonClick(position);
    QCOMPARE(effectsOf(t), effect.isEmpty() ? QStringList() : QStringList{effect});
    // The dispatch itself writes nothing; only "Atualizar" has a hint of its own.
    if (position != 1)
        QCOMPARE(t.statusText(), statusBefore);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != t.window.get() && w->objectName().startsWith(QStringLiteral("frm")) && w->isVisible())
            w->close();
    }
}

void tst_startup::shortcutsRunTheSameCommandsAsTheMenus_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("effect");
    QTest::newRow("F1 Atualizar") << "menuatualizar" << QKeySequence(Qt::Key_F1) << "compose";
    QTest::newRow("F2 Abrir Som") << "menuabrir" << QKeySequence(Qt::Key_F2) << "dialog";
    QTest::newRow("F3 Volume") << "menuvolume" << QKeySequence(Qt::Key_F3) << "volume";
    QTest::newRow("F4 Tocar") << "menutocar" << QKeySequence(Qt::Key_F4) << "play";
    QTest::newRow("F5 Parar") << "menuparar" << QKeySequence(Qt::Key_F5) << "stop";
    QTest::newRow("F8 Minimizar") << "menuminimizar" << QKeySequence(Qt::Key_F8) << "tray";
    QTest::newRow("F9 Sobre") << "menusobre" << QKeySequence(Qt::Key_F9) << "about";
    QTest::newRow("F10 O Programa") << "menuprograma" << QKeySequence(Qt::Key_F10) << "help";
}

void tst_startup::shortcutsRunTheSameCommandsAsTheMenus()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, key);
    QFETCH(QString, effect);
    QStringList viaMenu, viaKey;
    for (bool useKey : {false, true}) {
        TestWindow t;
        t.fakes.launcher.installed = {QStringLiteral("pavucontrol")};
        t.window->show();
        t.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
        auto *action = t.find<QAction>(item);
        QCOMPARE(action->shortcut(), key);
        if (useKey)
            QTest::keySequence(t.window.get(), key);
        else
            action->trigger();
        (useKey ? viaKey : viaMenu) = effectsOf(t);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != t.window.get() && w->isVisible())
                w->close();
        }
    }
    QCOMPARE(viaMenu, QStringList{effect});
    QCOMPARE(viaKey, viaMenu);
}

void tst_startup::menuPictures()
{
    TestWindow t;
    const QStringList withPicture = {
        QStringLiteral("menuatualizar"), QStringLiteral("menusair"),      QStringLiteral("menuabrir"),
        QStringLiteral("menuvolume"),    QStringLiteral("menutocar"),     QStringLiteral("menuparar"),
        QStringLiteral("menustatus"),    QStringLiteral("menubarra"),     QStringLiteral("menuminimizar"),
        QStringLiteral("menusobre"),     QStringLiteral("menuprograma")};
    int pictured = 0;
    for (QAction *a : t.window->findChildren<QAction *>()) {
        if (a->objectName().isEmpty())
            continue;
        QCOMPARE(!a->icon().isNull(), withPicture.contains(a->objectName()));
        pictured += !a->icon().isNull();
    }
    QCOMPARE(pictured, 11);
    // The two view items share one picture; "Sobre" shows the stopwatch of the tray.
    QCOMPARE(t.find<QAction>(QStringLiteral("menustatus"))->icon().cacheKey(),
             t.find<QAction>(QStringLiteral("menubarra"))->icon().cacheKey());
    QVERIFY(t.find<QAction>(QStringLiteral("menusobre"))->icon().cacheKey()
            != t.find<QAction>(QStringLiteral("menuprograma"))->icon().cacheKey());
}

void tst_startup::theWordsAreTheProgramsOwn_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    auto row = [](const char *window, const char *control, const QString &text) {
        QTest::addRow("%s %s", window, control) << QString::fromLatin1(window) << QString::fromLatin1(control) << text;
    };
    // The captions keep their trailing blanks: they set the menus' widths.
    auto blanks = [](int n) { return QString(n, QLatin1Char(' ')); };
    row("frmob", "menuatualizar", QStringLiteral("&Atualizar") + blanks(10));
    row("frmob", "menusair", QStringLiteral("&Sair") + blanks(5));
    row("frmob", "menuabrir", QStringLiteral("Abrir Som") + blanks(8));
    row("frmob", "menuvolume", QStringLiteral("&Volume do Som") + blanks(9));
    row("frmob", "menutocar", QStringLiteral("&Tocar") + blanks(10));
    row("frmob", "menuparar", QStringLiteral("&Parar"));
    row("frmob", "menustatus", QStringLiteral("&Status Bar") + blanks(20));
    row("frmob", "menubarra", QStringLiteral("&Barra de Comandos") + blanks(10));
    row("frmob", "menuminimizar", QStringLiteral("Minimizar"));
    row("frmob", "menusobre", QStringLiteral("&Sobre...") + blanks(7));
    row("frmob", "menuprograma", QStringLiteral("O &Programa") + blanks(11));
    row("frmovalen", "Label5", QStringLiteral("Relógio Trovelandor:"));
    row("frmovalen", "Label6", QStringLiteral("Simples, desperta a hora que você quiser, sem ligar o computador."));
    row("frmajuda", "lblatualizar", QStringLiteral("Atualizar:"));
    row("frmajuda", "lblatualizarexplic",
        QStringLiteral("Apenas atualiza o formulário para dispertar a hora que você escolheu."));
    row("frmajuda", "lblvolume", QStringLiteral("Volume:"));
    row("frmajuda", "lblvolumeexplic",
        QStringLiteral("Abre os Controles de Volume do Windows. IMPORTANTE: Ele só funcionará na hora da execução do som."));
    row("frmajuda", "lbltocareparar", QStringLiteral("Tocar e Parar:"));
    row("frmajuda", "lbltocarepararexplic", QStringLiteral("Toca ou Para a música que está no ComboBox."));
    row("frmajuda", "lblcalendario", QStringLiteral("Calendário:"));
    row("frmajuda", "lblcalendarioexplic", QStringLiteral("Abre o Calendário."));
    row("frmajuda", "lblAbrirsom", QStringLiteral("Abrir Som:"));
    row("frmajuda", "lblabrirsomexplic",
        QStringLiteral("Abre o som que será tocado quando a hora for correspondente. Os tipos de Arquivo são: mp3, wma e wav."));
    row("frmajuda", "lblfinal", QStringLiteral("Mensagem:"));
    row("frmajuda", "Label1", QStringLiteral("A mensagem aparecerá simplesmente para mostrar que o hora escolhida chegou."));
    row("frmajuda", "cmdok", QStringLiteral("&OK!"));
}

void tst_startup::theWordsAreTheProgramsOwn()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    TestWindow t;
    t.window->menusobre_Click();
    t.window->menuprograma_Click();
    QWidget *top = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == window)
            top = w;
    }
    QVERIFY2(top, qPrintable(window));
    const QObject *shown = top->findChild<QObject *>(control);
    QVERIFY2(shown, qPrintable(control));
    QCOMPARE(shown->property("text").toString(), text);
}

void tst_startup::menusAndCheckMarks()
{
    TestWindow t;
    // Four menus in order, and the two check marks.
    QStringList top;
    for (QAction *a : t.window->menuBar()->actions())
        top << a->text();
    QCOMPARE(top, (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("So&m"), QStringLiteral("&Visualizar"),
                               QStringLiteral("A&juda")}));
    QVERIFY(t.find<QAction>(QStringLiteral("menustatus"))->isChecked());
    QVERIFY(t.find<QAction>(QStringLiteral("menubarra"))->isChecked());
    QVERIFY(!t.find<QAction>(QStringLiteral("menuminimizar"))->isChecked());
    // The exit and help items have their own keys, apart from F1 to F9 and each other.
    const QKeySequence exitKey = t.find<QAction>(QStringLiteral("menusair"))->shortcut();
    const QKeySequence helpKey = t.find<QAction>(QStringLiteral("menuprograma"))->shortcut();
    QVERIFY(!exitKey.isEmpty() && !helpKey.isEmpty() && exitKey != helpKey);
}

void tst_startup::alarmTextBoxIsCoveredButReachableByTab()
{
    TestWindow t;
    t.window->show();
    t.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    auto *alarm = t.find<QLineEdit>(QStringLiteral("txthora"));
    QWidget *frame = alarm->parentWidget();
    // Every point of the alarm text box lies under one of the three lists.
    for (int y = 0; y < alarm->height(); y += 3) {
        for (int x = 0; x < alarm->width(); x += 3) {
            QWidget *top = frame->childAt(alarm->geometry().topLeft() + QPoint(x, y));
            QVERIFY(top && top != alarm && top->objectName().startsWith(QStringLiteral("cmb")));
        }
    }
    QCOMPARE(QApplication::focusWidget(), t.find<QWidget>(QStringLiteral("cmbhoras")));
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{QStringLiteral("cmbhoras"), QStringLiteral("cmbminutos"),
                                 QStringLiteral("cmbsegundos"), QStringLiteral("txthora"),
                                 QStringLiteral("media_volume"), QStringLiteral("txttexto"),
                                 QStringLiteral("cmbdir")}));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmbhoras"));
}

void tst_startup::playerShowsOnlyItsBandAndCorner()
{
    TestWindow t;
    auto *player = t.find<QWidget>(QStringLiteral("media"));
    QWidget *frame = player->parentWidget();
    auto topAt = [&](int twX, int twY) { return frame->childAt(tw(twX), tw(twY)); };
    auto isPlayer = [&](QWidget *w) { return w == player || player->isAncestorOf(w); };
    // The band between the clock panels and the lower panel, across the whole width.
    for (int x : {130, 1000, 2400, 4300})
        QVERIFY2(isPlayer(topAt(x, 1050)), qPrintable(QString::number(x)));
    // The lower right corner.
    QVERIFY(isPlayer(topAt(3300, 1250)));
    QVERIFY(isPlayer(topAt(4300, 1550)));
    // Everywhere else it lies beneath something.
    QVERIFY(!isPlayer(topAt(500, 870)));
    QVERIFY(!isPlayer(topAt(3000, 870)));
    QVERIFY(!isPlayer(topAt(1000, 1300)));
    QVERIFY(!isPlayer(topAt(3000, 1300)));
}

void tst_startup::everyTextFitsItsBox()
{
    TestWindow t;
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    t.tickAt(23, 59, 59);
    for (QLabel *label : t.window->findChildren<QLabel *>()) {
        // The lists' names for screen readers are never shown.
        if (label->text().isEmpty() || !label->isVisibleTo(t.window.get()))
            continue;
        const QRect need = label->fontMetrics().boundingRect(label->text());
        QVERIFY2(need.width() <= label->contentsRect().width() && label->fontMetrics().height() <= label->height(),
                 qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
    }
    // The longest label ends before the clock panel begins.
    auto *prompt = t.find<QLabel>(QStringLiteral("lbldigiteahora"));
    QVERIFY(prompt->geometry().left() + prompt->fontMetrics().horizontalAdvance(prompt->text())
            < t.find<QWidget>(QStringLiteral("Picture2"))->geometry().left());
    // All seven buttons of the command bar are whole, inside the bar.
    auto *bar = t.find<forms::CommandBar>(QStringLiteral("Toolbar1"));
    int buttons = 0;
    for (int p = 1; p <= bar->count(); ++p) {
        if (QToolButton *b = bar->button(p)) {
            ++buttons;
            QVERIFY(bar->rect().contains(b->geometry()));
            QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) <= b->width());
            QVERIFY(b->iconSize().height() + b->fontMetrics().height() <= b->height());
        }
    }
    QCOMPARE(buttons, 7);
    QCOMPARE(t.window->centralWidget()->size(), QSize(tw(4470), tw(4425)));
}

void tst_startup::focusableControlsHaveAccessibleNames()
{
    TestWindow t;
    for (QWidget *w : t.window->findChildren<QWidget *>()) {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(t.window.get()) && !w->objectName().isEmpty()
            && !w->inherits("QScrollBar") && !w->inherits("QMenuBar"))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
    auto *bar = t.find<forms::CommandBar>(QStringLiteral("Toolbar1"));
    for (int p = 1; p <= bar->count(); ++p) {
        if (QToolButton *b = bar->button(p))
            QVERIFY(!b->accessibleName().isEmpty());
    }
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
