// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The notification areas that show items over D-Bus (StatusNotifierItem),
// as desktops have them, on a test's own X server and session bus.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

class NotificationArea
{
public:
    enum Kind {
        XfceTray,            // Xfce's panel with its own tray, Debian's default Xfce
        XfceStatusNotifier,  // Xfce's panel with the StatusNotifier plugin
        WatcherAndShell,     // a watcher that stays while the host goes, as Plasma's
    };

    // For the display and the session bus that the environment names; the
    // watcher of its own is started, the panel or host by start().
    NotificationArea(Kind kind, const QProcessEnvironment &session);
    ~NotificationArea();

    // Once the watcher says a host shows its items; false if it never did.
    bool start();
    // As a crash: the whole panel, or the host alone while the watcher stays.
    void stop();
    QString output() const;

    // The items the watcher knows, by their services.
    QStringList items() const;
    // What a user does to the clock's icon: a click on Xfce's panel, the
    // host's activation otherwise.
    void activateIcon() const;
    // How many calls and signals pass on the bus in that many milliseconds.
    int busTraffic(int ms) const;

private:
    QString call(const QStringList &arguments) const;

    Kind m_kind;
    QProcessEnvironment m_session;
    QTemporaryDir m_home;
    QProcess m_panel;   // the panel, or the host
    QProcess m_watcher; // the watcher of its own, where it has one
};
