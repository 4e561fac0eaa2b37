// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm time, composed from the three lists. The alarm text follows the
// lists only when one of these handlers composes it, not on every choice.

#include "alarm/alarm_time.h"

#include "app/frmob.h"

#include <QComboBox>
#include <QLineEdit>

QString timeOfDayText(const QDateTime &when)
{
    return when.time().toString(QStringLiteral("H:mm:ss"));
}

AlarmLists advanceAlarmLists(AlarmLists at, int hourCount)
{
    if (at.minute != 59)
        return {at.hour, at.minute + 1};
    return {at.hour + 1 < hourCount ? at.hour + 1 : at.hour, at.minute};
}

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
