// SPDX-License-Identifier: GPL-3.0-or-later
// The clock tick and the alarm.

#include "alarm/alarm_time.h"
#include "app/frmob.h"

#include "desktop/windowfront.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

namespace {

// How long before the alarm its sound is made ready.
constexpr int alarmPrepareSeconds = 5;

} // namespace

void frmob::trmrelogio_Timer()
{
    const QDateTime now = m_services.clock.now();
    lbldataatual->setText(QLocale::system().toString(now.date(), QLocale::ShortFormat));
    lblhoraatual->setText(timeOfDayText(now));

    // The alarm text is compared as it stands, never read as a time.
    if (lblhoraatual->text() != txthora->text()) {
        prepareAlarmSound(now);
        return;
    }

    playSound(cmbdir->currentText());

    // The alarm text itself changes only when it is next composed.
    const AlarmLists next = advanceAlarmLists({cmbhoras->currentIndex(), cmbminutos->currentIndex()}, cmbhoras->count());
    cmbhoras->setCurrentIndex(next.hour);
    cmbminutos->setCurrentIndex(next.minute);

    showAlarmWindow();
    // The clock goes on ticking while the box waits for the user.
    m_services.messageBox.exclamation(this, caption, txttexto->toPlainText() + QStringLiteral("\r\n\r\n"));
}

void frmob::showAlarmWindow()
{
    // Wherever the window is, in the tray, minimised or behind others, the
    // user must see it with the alarm's message.
    desktop::showInFront(this);
}

void frmob::prepareAlarmSound(const QDateTime &now)
{
    // A few seconds before the alarm rings, its sound is made ready: the
    // start of the file decoded and the output open, so that at the alarm
    // the first samples go out at once. The multimedia stack comes up only
    // then, so a clock whose alarm is hours away costs no more than one
    // without. Only texts are compared here: the tick never touches the disk.
    const QString alarmText = txthora->text();
    for (int ahead = 1; ahead <= alarmPrepareSeconds; ++ahead) {
        if (timeOfDayText(now.addSecs(ahead)) == alarmText) {
            prepareSound(cmbdir->currentText());
            return;
        }
    }
}
