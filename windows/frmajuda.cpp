#include "windows/frmajuda.h"

frmajuda::frmajuda(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmajuda"));
    setAttribute(Qt::WA_DeleteOnClose);
}
