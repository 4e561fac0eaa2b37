// SPDX-License-Identifier: GPL-3.0-or-later
// The About and Help windows, opened from the real main window over fakes.

#include "fakes.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

QWidget *topLevel(const QString &name)
{
    QWidgetList found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name)
            found << w;
    }
    if (found.size() > 1)
        qFatal("two windows named %s", qPrintable(name));
    return found.value(0);
}

// "sobre" and "programa" are the menu items, "botao10" the command-bar
// button; the window each opens is named after it.
QString run(TestWindow &t, const QString &command)
{
    if (command == QLatin1String("sobre")) {
        t.window->menusobre_Click();
        return QStringLiteral("frmovalen");
    }
    if (command == QLatin1String("programa"))
        t.window->menuprograma_Click();
    else
        t.window->Toolbar1_ButtonClick(10);
    return QStringLiteral("frmajuda");
}

QStringList labelTexts(QWidget *window)
{
    QStringList texts;
    for (auto *l : window->findChildren<QLabel *>())
        texts << l->objectName() + QLatin1Char('=') + l->text();
    texts.sort();
    return texts;
}

} // namespace

class tst_windows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openingTwiceKeepsOneWindowInFront_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("Sobre twice") << "sobre" << "sobre";
        QTest::newRow("O Programa twice") << "programa" << "programa";
        QTest::newRow("O Programa, then button 10") << "programa" << "botao10";
        QTest::newRow("button 10, then O Programa") << "botao10" << "programa";
    }
    void openingTwiceKeepsOneWindowInFront()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        TestWindow t;
        t.window->show();
        const QString name = run(t, first);
        QPointer<QWidget> window = topLevel(name);
        QVERIFY(window);
        t.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(t.window.get()));

        run(t, second);
        QCOMPARE(topLevel(name), window.data());
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(!window->parentWidget());
        // The command bar reaches Help only.
        if (name == QLatin1String("frmajuda"))
            QVERIFY(!topLevel(QStringLiteral("frmovalen")));

        // The main window's clock goes on meanwhile, and the alarm fires.
        t.window->ComposeAlarmTime();
        t.tickAt(1, 0, 0);
        QCOMPARE(t.fakes.messageBox.shown.size(), 1);
        QVERIFY(window && window->isVisible());
    }

    void closingDestroysAndReopeningRebuilds_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("how");
        for (const char *command : {"sobre", "programa"}) {
            for (const char *how : {"button", "title bar", "Escape", "Enter"})
                QTest::addRow("%s, %s", command, how) << command << how;
        }
        QTest::newRow("programa, Alt+O") << "programa" << "Alt+O";
    }
    void closingDestroysAndReopeningRebuilds()
    {
        QFETCH(QString, command);
        QFETCH(QString, how);
        TestWindow t;
        const QString name = run(t, command);
        QPointer<QWidget> window = topLevel(name);
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QStringList texts = labelTexts(window);
        window->move(0, 0);

        auto *button = window->findChild<QPushButton *>();
        QCOMPARE(window->focusWidget(), button);
        if (how == QLatin1String("button"))
            QTest::mouseClick(button, Qt::LeftButton);
        else if (how == QLatin1String("title bar"))
            window->close();
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(button, Qt::Key_Escape);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(button, Qt::Key_Return);
        else
            QTest::keyClick(button, Qt::Key_O, Qt::AltModifier);
        // A mnemonic presses the button a moment later, so it is seen going down.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_VERIFY(!window);
        QVERIFY(!topLevel(name));

        run(t, command);
        window = topLevel(name);
        QVERIFY(window);
        QCOMPARE(labelTexts(window), texts);
        if (name == QLatin1String("frmovalen")) {
            // Made anew, it stands in the middle of the screen again, give or
            // take the frame the platform draws around it.
            const QPoint off = window->geometry().center() - window->screen()->availableGeometry().center();
            QVERIFY2(qAbs(off.x()) <= 4 && qAbs(off.y()) <= 4,
                     qPrintable(QStringLiteral("off by %1,%2").arg(off.x()).arg(off.y())));
        }
    }

    void textsAreWholeInTheirBoxes()
    {
        TestWindow t;
        const auto all = topLevel(run(t, QStringLiteral("sobre")))->findChildren<QLabel *>()
                         + topLevel(run(t, QStringLiteral("programa")))->findChildren<QLabel *>();
        QCOMPARE(all.size(), 2 + 12);
        for (QLabel *l : all) {
            const QRect box = l->contentsRect();
            QRectF needed;
            if (l->wordWrap()) {
                needed = l->fontMetrics().boundingRect(box, int(l->alignment()) | Qt::TextWordWrap, l->text());
            } else {
                const QFontMetricsF metrics(l->font());
                needed = QRectF(0, 0, metrics.horizontalAdvance(l->text()), metrics.height());
            }
            QVERIFY2(needed.width() <= box.width() && needed.height() <= box.height(), qPrintable(l->objectName()));
        }
    }

    void linesTouchNoControl()
    {
        TestWindow t;
        QWidget *help = topLevel(run(t, QStringLiteral("programa")));
        QRect line[4];
        for (int i = 1; i <= 3; ++i)
            line[i] = help->findChild<QWidget *>(QStringLiteral("Line%1").arg(i))->geometry();
        QCOMPARE(line[1].width(), 1);
        // The engraved rule: two lines of one pixel, one right under the other.
        QCOMPARE(line[2].height(), 1);
        QCOMPARE(line[3], line[2].translated(0, 1));
        const auto controls =
            help->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^(lbl|Label|cmd)")));
        QCOMPARE(controls.size(), 13);
        for (QWidget *c : controls) {
            for (int i = 1; i <= 3; ++i)
                QVERIFY2(!c->geometry().intersects(line[i]), qPrintable(c->objectName()));
        }
    }

    void okButtonLooksTheSameUnderThePointer()
    {
        TestWindow t;
        QWidget *help = topLevel(run(t, QStringLiteral("programa")));
        QVERIFY(QTest::qWaitForWindowActive(help));
        auto *ok = help->findChild<QPushButton *>(QStringLiteral("cmdok"));
        QTest::mouseMove(help, QPoint(2, 2));
        const QImage away = ok->grab().toImage();

        QTest::mouseMove(ok, ok->rect().center());
        QTRY_VERIFY(ok->underMouse());
        QCOMPARE(ok->grab().toImage(), away);
    }
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
