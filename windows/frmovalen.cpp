#include "windows/frmovalen.h"

frmovalen::frmovalen(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmovalen"));
    setAttribute(Qt::WA_DeleteOnClose);
}
