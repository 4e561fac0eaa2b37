// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qttray.h"

#include "desktop/windowfront.h"

#include <QCoreApplication>
#include <QFile>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSystemTrayIcon>
#include <QWidget>

#include <xcb/xcb.h>

namespace desktop {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString hostServicePrefix = QStringLiteral("org.kde.StatusNotifierHost-");

// The watcher's own word on whether any host shows the items it knows.
QDBusMessage askForAHost()
{
    QDBusMessage ask = QDBusMessage::createMethodCall(watcherService, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    ask << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    return ask;
}

bool saysAHostIsThere(const QDBusMessage &answer)
{
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()
        && qvariant_cast<QDBusVariant>(answer.arguments().constFirst()).variant().toBool();
}

bool watcherIsGnomeShell(const QDBusConnection &bus)
{
    // The desktop's shell, by the name of the process that owns the watcher.
    const uint pid = bus.interface()->servicePid(watcherService).value();
    QFile name(QStringLiteral("/proc/%1/comm").arg(pid));
    return pid && name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "gnome-shell";
}

} // namespace

QtTray::QtTray()
{
    m_icon = new QSystemTrayIcon(this);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            bringBack();
    });
    QCoreApplication::instance()->installNativeEventFilter(this);

    // Asked as Qt asked as it made the icon: where the watcher said that a
    // host shows its items, the icon is a StatusNotifierItem for the
    // program's life.
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_onTheBus = m_hostOnTheBus = bus.isConnected() && saysAHostIsThere(bus.call(askForAHost()));
    if (!m_onTheBus)
        return;
    // The watcher leaving the bus (a panel that crashed, a tray extension
    // turned off), or the last host going while the watcher stays (Plasma's
    // shell, whose watcher lives in another process).
    bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                SLOT(busNameChanged(QString, QString, QString)));
    // A host that comes, or goes, as the watcher tells it.
    for (const char *change : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(QString(), QStringLiteral("/StatusNotifierWatcher"), watcherService, QString::fromLatin1(change), this,
                    SLOT(askWhetherAHostIsThere()));

    // An item without a menu has some hosts asking for one without end
    // (Xfce's StatusNotifier plugin: tens of thousands of calls a second, and
    // no icon shown). Such a host opens the menu on the click that others
    // take as activation, so opening it brings the window back as activation
    // does, after the host has its answer. GNOME's AppIndicator extension
    // is the exception both ways: it asks for an item's menu as soon as the
    // item comes, unasked, and with no menu it activates on a click, as it
    // should; there the item keeps none.
    if (watcherIsGnomeShell(bus))
        return;
    m_menu.addAction(QStringLiteral("Restaurar"), this, &QtTray::bringBack);
    connect(&m_menu, &QMenu::aboutToShow, this, &QtTray::bringBack, Qt::QueuedConnection);
    m_icon->setContextMenu(&m_menu);
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

bool QtTray::trayAvailable() const
{
    // Qt's own answer for a D-Bus icon is the one it had at the start.
    return m_onTheBus ? m_hostOnTheBus : QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::showInTray()
{
    if (!m_window)
        return;
    if (!trayAvailable()) {
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
    // notification area is still there.
    if (eventType == "xcb_generic_event_t"
        && (static_cast<const xcb_generic_event_t *>(message)->response_type & ~0x80) == XCB_DESTROY_NOTIFY) {
        // Qt lets go of the old notification area only after the filters
        // have seen the event.
        QMetaObject::invokeMethod(this, &QtTray::checkTrayHost, Qt::QueuedConnection);
    }
    return false;
}

void QtTray::busNameChanged(const QString &name, const QString &, const QString &)
{
    if (name == watcherService || name.startsWith(hostServicePrefix))
        askWhetherAHostIsThere();
}

void QtTray::askWhetherAHostIsThere()
{
    // The answer comes later: a watcher that is busy or stuck never holds the
    // window's thread. One that has gone answers with an error at once.
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(askForAHost(), 5000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &QtTray::hostAnswered);
}

void QtTray::hostAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    m_hostOnTheBus = saysAHostIsThere(call->reply());
    checkTrayHost();
}

void QtTray::checkTrayHost()
{
    // Only a window that waits in the tray needs a notification area.
    if (!m_window || !m_window->isHidden() || !m_icon->isVisible() || trayAvailable())
        return;
    m_icon->hide();
    m_window->showMinimized();
}

} // namespace desktop
