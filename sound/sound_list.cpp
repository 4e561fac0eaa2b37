// SPDX-License-Identifier: GPL-3.0-or-later
// The sound list and the open command.

#include "app/frmob.h"

#include "sound/mediaplayer.h"
#include "sound/soundlist.h"

#include <QCollator>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>

namespace {

// Opens a chosen file for reading. Returns why it cannot be, in the user's
// words, or nothing. A pipe or a device is refused before it is opened:
// opening one for reading can wait for ever.
QString openForReading(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return QStringLiteral("O arquivo não existe mais.");
    if (!info.isFile())
        return QStringLiteral("Não é um arquivo comum.");
    // Opened by hand for the reason of a refusal, which Qt does not tell.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return QStringLiteral("Você não tem permissão para ler este arquivo.");
        return QStringLiteral("O sistema não permitiu a leitura (%1).").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    return {};
}

} // namespace

void frmob::menuabrir_Click()
{
    const QString path = m_services.openDialog.chooseFile(this, dlgarquivo);
    if (!path.isEmpty()) {
        // Held open, shared, while the sound is taken on: a file that cannot
        // be read ends the command here, with the list and the sound as they were.
        QFile hold(path);
        const QString why = openForReading(hold);
        if (!why.isEmpty()) {
            m_services.messageBox.exclamation(
                this, caption, QStringLiteral("Não foi possível abrir o som escolhido:\n%1\n\n%2").arg(path, why));
            return;
        }
        media->PlayFile(path);
        cmbdir->setCurrentIndex(addSoundSorted(path));
        hold.close();
    }
    RefreshSoundInfo(cmbdir->currentText());
}

int sortedPosition(const QStringList &entries, const QString &path)
{
    // The collator is made only when there is something to compare, which
    // start-up never has.
    if (entries.isEmpty())
        return 0;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    int at = 0;
    while (at < entries.size() && collator.compare(entries.at(at), path) <= 0)
        ++at;
    return at;
}

int frmob::addSoundSorted(const QString &path)
{
    QStringList entries;
    for (int i = 0; i < cmbdir->count(); ++i)
        entries << cmbdir->itemText(i);
    const int at = sortedPosition(entries, path);
    cmbdir->insertItem(at, path);
    return at;
}
