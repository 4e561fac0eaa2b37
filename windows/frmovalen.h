// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

// The About window: the program's title and a line about it on a dark panel,
// under the author's name, and a picture button that closes it. It is made
// each time it is opened and destroyed when closed.
class frmovalen : public QWidget
{
    Q_OBJECT
public:
    explicit frmovalen(QWidget *parent = nullptr);

    void cmdsair_Click();

private:
    QFrame *frasobre = nullptr;
    QWidget *Picture1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QPushButton *cmdsair = nullptr;
};
