// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qtservices.h"

#include "platform/backgroundsound.h"
#include "platform/soundidentity.h"

#include <QCoreApplication>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>


namespace platform {

QDateTime QtClock::now() const
{
    return QDateTime::currentDateTime();
}

void QtMessageBox::exclamation(QWidget *parent, const QString &title, const QString &text)
{
    // Qt's labels break lines at a line feed; the carriage returns of the
    // program's texts would otherwise show.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::Warning, title, shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtOpenDialog::chooseFile(QWidget *parent, const OpenDialogSettings &settings)
{
    // Qt's own dialog, so that the filter reads exactly as given and still
    // matches every name ending in one of the suffixes, whatever its case.
    QFileDialog dialog(parent, settings.title, settings.initialFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(settings.filterText);

    QStringList patterns;
    for (const QString &suffix : settings.suffixes)
        patterns << QStringLiteral("*.") + suffix;
    // The dialog reads its patterns out of the filter's text; these are the
    // ones meant. Its model matches them without regard to letter case.
    if (auto *model = dialog.findChild<QFileSystemModel *>()) {
        auto applyPatterns = [model, patterns] { model->setNameFilters(patterns); };
        applyPatterns();
        QObject::connect(&dialog, &QFileDialog::filterSelected, model, applyPatterns);
        QObject::connect(&dialog, &QFileDialog::directoryEntered, model, applyPatterns);
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtProgramLauncher::findProgram(const QString &name) const
{
    if (QDir::isAbsolutePath(name)) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(name);
}

bool QtProgramLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environmentForOtherPrograms());
    return process.startDetached();
}

namespace {

// Where the sound module is: beside the program in a build, or in the
// program's own library folder where it is installed.
QStringList soundModuleFiles()
{
    const QString here = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral("librelogio-sound.so");
    return {here + QLatin1Char('/') + name,
            here + QStringLiteral("/" RELOGIO_SOUND_MODULE_DIR "/") + name};
}

} // namespace

QtServices::QtServices() : m_sound(std::make_unique<BackgroundSound>(soundModule(soundModuleFiles()))) {}

QtServices::~QtServices() = default;

Services QtServices::services()
{
    return {m_clock, m_messageBox, m_openDialog, m_launcher, *m_sound, m_tray};
}

} // namespace platform
