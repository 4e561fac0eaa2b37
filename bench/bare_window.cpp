// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the start-up figures: a bare Qt window of about the clock's
// size with a menu bar, a tool bar, three drop-down lists and a label that
// shows the time, redrawn each second, and nothing behind them.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    for (const char *menu : {"&Arquivo", "So&m", "&Visualizar", "A&juda"}) {
        QMenu *m = window.menuBar()->addMenu(QString::fromUtf8(menu));
        m->addAction(QStringLiteral("Item"));
    }
    QToolBar *bar = window.addToolBar(QStringLiteral("Comandos"));
    for (const char *text : {"Atualizar", "Abrir Som", "Volume", "Tocar", "Parar", "Ajuda", "Minimizar"})
        bar->addAction(QString::fromUtf8(text));
    auto *central = new QWidget(&window);
    auto *layout = new QVBoxLayout(central);
    for (int list = 0; list < 3; ++list) {
        auto *combo = new QComboBox(central);
        for (int i = 0; i < 60; ++i)
            combo->addItem(QString::number(i));
        layout->addWidget(combo);
    }
    auto *time = new QLabel(central);
    layout->addWidget(time);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, time,
                     [time] { time->setText(QTime::currentTime().toString(QStringLiteral("H:mm:ss"))); });
    tick.start(1000);
    window.setCentralWidget(central);
    window.resize(298, 312);
    window.show();
    return QApplication::exec();
}
