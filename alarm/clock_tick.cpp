// The clock tick and the alarm.

#include "app/frmob.h"

#include "sound/mediaplayer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

namespace {

// Always 24 hours, the hour without a leading zero: the hours list offers
// "7", not "07", so 7:05:30 is what the alarm text holds and must be what the
// clock shows at that second.
QString clockText(const QDateTime &when)
{
    return when.time().toString(QStringLiteral("H:mm:ss"));
}

// How long before the alarm its sound is made ready.
constexpr int alarmPrepareSeconds = 5;

} // namespace

void frmob::trmrelogio_Timer()
{
    const QDateTime now = m_services.clock.now();
    lbldataatual->setText(QLocale::system().toString(now.date(), QLocale::ShortFormat));
    lblhoraatual->setText(clockText(now));

    // The alarm text is compared as it stands, never read as a time.
    if (lblhoraatual->text() != txthora->text()) {
        prepareAlarmSound(now);
        return;
    }

    media->PlayFile(cmbdir->currentText());

    // The lists move on by a minute, or by an hour at minute 59; the alarm
    // text itself changes only when it is next composed. At "24" there is no
    // later hour, and the lists stay as they are.
    const int minute = cmbminutos->currentIndex();
    if (minute == 59) {
        if (cmbhoras->currentIndex() + 1 < cmbhoras->count())
            cmbhoras->setCurrentIndex(cmbhoras->currentIndex() + 1);
    } else {
        cmbminutos->setCurrentIndex(minute + 1);
    }

    showAlarmWindow();
    // The clock goes on ticking while the box waits for the user.
    m_services.messageBox.exclamation(this, caption, txttexto->toPlainText() + QStringLiteral("\r\n\r\n"));
}

void frmob::showAlarmWindow()
{
    // Wherever the window is, in the tray, minimised or behind others, the
    // user must see it with the alarm's message.
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void frmob::prepareAlarmSound(const QDateTime &now)
{
    // A few seconds before the alarm rings, its sound is made ready: the
    // start of the file decoded and the output open, so that at the alarm
    // the first samples go out at once. The multimedia stack comes up only
    // then, so a clock whose alarm is hours away costs no more than one
    // without. Only texts are compared here: the tick never touches the disk.
    const QString alarm = txthora->text();
    for (int ahead = 1; ahead <= alarmPrepareSeconds; ++ahead) {
        if (clockText(now.addSecs(ahead)) == alarm) {
            media->PrepareFile(cmbdir->currentText());
            return;
        }
    }
}
