// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/services.h"

#include <QAbstractNativeEventFilter>
#include <QMenu>
#include <QPointer>

class QDBusPendingCallWatcher;
class QSystemTrayIcon;

namespace desktop {

// Over QSystemTrayIcon. Where the desktop has no notification area the
// window is minimised to the task bar instead of hidden, so it is never lost;
// and when the notification area goes away while the window waits in it
// (the panel crashed or restarts, the desktop's tray extension was turned
// off), the window comes back the same way.
//
// Qt shows the icon in one of two ways, chosen once as the program starts:
// as a StatusNotifierItem over D-Bus where a StatusNotifierWatcher is on the
// session bus (Xfce, GNOME's AppIndicator extension, Plasma, LXQt), else
// docked into an X11 notification area (XEmbed). Either kind of host is
// followed by what it tells of its own end; nothing is polled.
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

private Q_SLOTS:
    void busNameChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void askWhetherAHostIsThere();

private:
    bool trayAvailable() const;
    void hostAnswered(QDBusPendingCallWatcher *call);
    void bringBack();
    void checkTrayHost();

    // The icon's own menu, on the hosts that need one; it outlives the icon.
    QMenu m_menu;
    QSystemTrayIcon *m_icon;
    QPointer<QWidget> m_window;
    // Whether Qt shows the icon on D-Bus, and whether a host there shows it.
    bool m_onTheBus = false;
    bool m_hostOnTheBus = false;
};

} // namespace desktop
