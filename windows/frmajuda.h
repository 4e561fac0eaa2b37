// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The Help window: a fixed page of short explanations in two columns and a
// button that closes it. It is made each time it is opened and destroyed
// when closed.
class frmajuda : public QWidget
{
    Q_OBJECT
public:
    explicit frmajuda(QWidget *parent = nullptr);

    void cmdok_Click();

private:
    QLabel *lblatualizar = nullptr;
    QLabel *lblatualizarexplic = nullptr;
    QLabel *lblvolume = nullptr;
    QLabel *lblvolumeexplic = nullptr;
    QLabel *lbltocareparar = nullptr;
    QLabel *lbltocarepararexplic = nullptr;
    QLabel *lblcalendario = nullptr;
    QLabel *lblcalendarioexplic = nullptr;
    QLabel *lblAbrirsom = nullptr;
    QLabel *lblabrirsomexplic = nullptr;
    QLabel *lblfinal = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdok = nullptr;
    QWidget *Line1 = nullptr;
    QWidget *Line2 = nullptr;
    QWidget *Line3 = nullptr;
};
