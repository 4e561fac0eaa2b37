#pragma once

#include <QWidget>

class frmovalen : public QWidget
{
    Q_OBJECT
public:
    explicit frmovalen(QWidget *parent = nullptr);
};
