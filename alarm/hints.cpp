// SPDX-License-Identifier: GPL-3.0-or-later
// Status-bar hints for the areas under the pointer, and the colours of the
// two fields that show where the keyboard focus is.

#include "app/frmob.h"

#include "forms/simplestatusbar.h"
#include "forms/syscolors.h"

#include <QComboBox>
#include <QPlainTextEdit>

using forms::SysColor;

void frmob::setHint(const QString &text)
{
    // The hint stays until another is written, also while the bar is hidden.
    stbovalen->setSimpleText(text);
}

void frmob::Form_MouseMove()
{
    ComposeAlarmTime();
    setHint(QStringLiteral(" Relógio Trivelandor Ovalen Brakmund!"));
}

void frmob::fracontroles_MouseMove()
{
    setHint(QStringLiteral(" Relógio Trivelandor Ovalen Brakmund!"));
}

void frmob::Picture1_MouseMove()
{
    ComposeAlarmTime();
    setHint(QStringLiteral("Relógio trivelandor Ovalen Brakmund!"));
}

void frmob::Picture2_Click()
{
    setHint(QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"));
}

void frmob::lbldataatual_MouseMove()
{
    setHint(QStringLiteral("Data Atual!"));
}

void frmob::lblhoraatual_MouseMove()
{
    setHint(QStringLiteral("Hora Atual!"));
}

void frmob::lbltexto_MouseMove()
{
    setHint(QStringLiteral("Digite o Texto:"));
}

void frmob::txttexto_MouseMove()
{
    setHint(QStringLiteral("Digite Aqui o seu texto!"));
}

void frmob::txthora_MouseMove()
{
    setHint(QStringLiteral("Digite a Hora para Dispertar!"));
}

void frmob::media_MouseMove()
{
    setHint(QStringLiteral("Controle do Volume! "));
    ComposeAlarmTime();
}

void frmob::cmbhoras_Change()
{
    setHint(QStringLiteral("Selecione a Hora para Dispertar"));
}

void frmob::txttexto_GotFocus()
{
    forms::setBackground(txttexto, SysColor::WindowBackground);
}

void frmob::txttexto_LostFocus()
{
    forms::setBackground(txttexto, SysColor::InactiveTitleBar);
}

void frmob::cmbdir_GotFocus()
{
    forms::setBackground(cmbdir, SysColor::WindowBackground);
}

void frmob::cmbdir_LostFocus()
{
    forms::setBackground(cmbdir, SysColor::InactiveTitleBar);
}
