// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qtservices.h"

#include "platform/backgroundsound.h"
#include "platform/soundidentity.h"
#include "platform/windowfront.h"

#include <QCoreApplication>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QWidget>

#include <xcb/xcb.h>

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

QtTray::QtTray() : m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            bringBack();
    });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

QtTray::~QtTray() = default;

void QtTray::setTipText(const QString &text)
{
    m_icon->setToolTip(text);
}

void QtTray::setTrayPicture(const QIcon &picture)
{
    m_icon->setIcon(picture);
}

void QtTray::setOwnerApp(QObject *)
{
    // Qt's tray icon belongs to the running program already.
}

void QtTray::setOwnerWindow(QWidget *window)
{
    m_window = window;
}

void QtTray::showInTray()
{
    if (!m_window)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // No notification area to come back from: hiding the window would
        // leave the program running with no way back to it. Minimised, it
        // waits in the task bar, or on Wayland wherever the desktop keeps
        // minimised windows (GNOME's overview and dash, Plasma's task
        // manager); showInFront() knows how to bring it back from there.
        m_window->showMinimized();
        return;
    }
    m_icon->show();
    m_window->hide();
}

void QtTray::bringBack()
{
    if (!m_window)
        return;
    m_icon->hide();
    showInFront(m_window);
}

bool QtTray::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    // On X11 the notification area is a window of another program, and Qt
    // watches it for its end. Only then is it worth asking whether a
    // notification area is still there; nothing is polled.
    if (eventType == "xcb_generic_event_t"
        && (static_cast<const xcb_generic_event_t *>(message)->response_type & ~0x80) == XCB_DESTROY_NOTIFY) {
        // Qt lets go of the old notification area only after the filters
        // have seen the event.
        QMetaObject::invokeMethod(this, &QtTray::checkTrayHost, Qt::QueuedConnection);
    }
    return false;
}

void QtTray::checkTrayHost()
{
    // Only a window that waits in the tray needs a notification area.
    if (!m_window || !m_window->isHidden() || !m_icon->isVisible() || QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_icon->hide();
    m_window->showMinimized();
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
