// SPDX-License-Identifier: GPL-3.0-or-later
// The About window as it is defined. Places and sizes are in twips, as the
// window was drawn.

#include "windows/frmovalen.h"

#include "forms/controls.h"
#include "forms/dialogfont.h"
#include "forms/syscolors.h"
#include "forms/twips.h"

#include <QFrame>
#include <QShortcut>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using forms::control;
using forms::label;
using forms::SysColor;
using forms::tw;

frmovalen::frmovalen(QWidget *parent)
    : QWidget(parent, Qt::Tool | forms::fixedWindowHints)
{
    // The title is the author's name; a tool window carries no icon of its own
    // and stays out of the task bar.
    forms::setUpSmallWindow(this, "frmovalen", QStringLiteral("Ovalen Brakmund"), 4665, 3480);

    frasobre = control<QFrame>(this, "frasobre", 120, 0, 4455, 2535);
    frasobre->setFrameStyle(QFrame::Box | QFrame::Sunken);

    Picture1 = control<QWidget>(frasobre, "Picture1", 120, 120, 4215, 2295);
    forms::setBackground(Picture1, SysColor::WindowFrame);
    forms::setForeground(Picture1, SysColor::WindowText);

    // 18 and 12 points are 24 and 16 pixels at 96 dpi. At 24 the bold italic
    // title runs a pixel past its box, so it is one pixel smaller.
    Label5 = label(Picture1, "Label5", QStringLiteral("Relógio Trovelandor:"), 0, 360, 4215, 735);
    Label5->setFont(forms::dialogFont(23, true, true));
    Label5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    forms::setBackground(Label5, SysColor::MenuText);
    forms::setForeground(Label5, SysColor::Highlight);

    Label6 = label(Picture1, "Label6",
                   QStringLiteral("Simples, desperta a hora que você quiser, sem ligar o computador."), 360, 1200,
                   3615, 975);
    Label6->setFont(forms::dialogFont(16, true));
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setWordWrap(true);
    forms::setBackground(Label6, SysColor::ButtonText);
    forms::setForeground(Label6, SysColor::Highlight);

    cmdsair = control<QPushButton>(this, "cmdsair", 3360, 2640, 1095, 735);
    cmdsair->setIcon(QIcon(QStringLiteral(":/images/relogio.svg")));
    cmdsair->setIconSize(QSize(32, 32));
    cmdsair->setAccessibleName(QStringLiteral("Fechar"));
    // Enter presses the focused button, as buttons do on the desktop the
    // window was drawn for, even outside a dialog.
    cmdsair->setAutoDefault(true);
    connect(cmdsair, &QPushButton::clicked, this, &frmovalen::cmdsair_Click);
    // Escape closes the window as the picture button does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &frmovalen::cmdsair_Click);

    // The button is the only control that can hold the focus.
    for (QWidget *w : {static_cast<QWidget *>(frasobre), Picture1, static_cast<QWidget *>(Label5),
                       static_cast<QWidget *>(Label6)})
        w->setFocusPolicy(Qt::NoFocus);
    cmdsair->setFocus();

    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

void frmovalen::cmdsair_Click()
{
    close();
}
