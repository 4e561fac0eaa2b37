// The alarm time, composed from the three lists. The alarm text follows the
// lists only when one of these handlers composes it, not on every choice.

#include "app/frmob.h"

#include <QComboBox>
#include <QLineEdit>

void frmob::ComposeAlarmTime()
{
    txthora->setText(cmbhoras->currentText() + QLatin1Char(':') + cmbminutos->currentText() + QLatin1Char(':')
                     + cmbsegundos->currentText());
}

void frmob::cmbhoras_LostFocus()
{
    ComposeAlarmTime();
}

void frmob::cmbsegundos_LostFocus()
{
    ComposeAlarmTime();
}

void frmob::menuatualizar_Click()
{
    ComposeAlarmTime();
    setHint(QStringLiteral(" Relógio Trivelandor Ovalen Brakmund!"));
}
