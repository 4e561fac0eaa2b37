#pragma once

#include <QWidget>

class frmajuda : public QWidget
{
    Q_OBJECT
public:
    explicit frmajuda(QWidget *parent = nullptr);
};
