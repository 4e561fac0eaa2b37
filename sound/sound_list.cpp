// The sound list and the open command.

#include "app/frmob.h"

#include "sound/mediaplayer.h"

#include <QComboBox>
#include <QFile>

namespace {

QString whyNotReadable(const QFile &file)
{
    if (!file.exists())
        return QStringLiteral("O arquivo não existe mais.");
    if (file.error() == QFileDevice::PermissionsError)
        return QStringLiteral("Você não tem permissão para ler este arquivo.");
    return QStringLiteral("O sistema não permitiu a leitura (%1).").arg(file.errorString());
}

} // namespace

void frmob::menuabrir_Click()
{
    const QString path = m_services.openDialog.chooseFile(this, dlgarquivo);
    if (!path.isEmpty()) {
        // Held open, shared, while the sound is taken on: a file that cannot
        // be read ends the command here, with the list and the sound as they were.
        QFile hold(path);
        if (!hold.open(QIODevice::ReadOnly)) {
            m_services.messageBox.exclamation(
                this, caption,
                QStringLiteral("Não foi possível abrir o som escolhido:\n%1\n\n%2").arg(path, whyNotReadable(hold)));
            return;
        }
        media->PlayFile(path);
        cmbdir->setCurrentIndex(addSoundSorted(path));
        hold.close();
    }
    RefreshSoundInfo(cmbdir->currentText());
}
