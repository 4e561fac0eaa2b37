// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <memory>

class QSystemTrayIcon;

namespace platform {

class QtClock : public Clock
{
public:
    QDateTime now() const override;
};

class QtMessageBox : public MessageBox
{
public:
    void exclamation(QWidget *parent, const QString &title, const QString &text) override;
};

class QtOpenDialog : public OpenDialog
{
public:
    QString chooseFile(QWidget *parent, const OpenDialogSettings &settings) override;
};

class QtProgramLauncher : public ProgramLauncher
{
public:
    QString findProgram(const QString &name) const override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
};

// Over QSystemTrayIcon. Where the desktop has no notification area the
// window is minimised to the task bar instead of hidden, so it is never lost;
// and when the notification area goes away while the window waits in it
// (the panel crashed or restarts), the window comes back the same way.
class QtTray : public QObject, public Tray, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    QtTray();
    ~QtTray() override;

    void setTipText(const QString &text) override;
    void setTrayPicture(const QIcon &picture) override;
    void setOwnerApp(QObject *application) override;
    void setOwnerWindow(QWidget *window) override;
    void showInTray() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void bringBack();
    void checkTrayHost();

    QSystemTrayIcon *m_icon;
    QPointer<QWidget> m_window;
};

class BackgroundSound;

// The Qt implementations of every service, for the running program.
class QtServices
{
public:
    QtServices();
    ~QtServices();
    Services services();

private:
    QtClock m_clock;
    QtMessageBox m_messageBox;
    QtOpenDialog m_openDialog;
    QtProgramLauncher m_launcher;
    std::unique_ptr<BackgroundSound> m_sound;
    QtTray m_tray;
};

} // namespace platform
