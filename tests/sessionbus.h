// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A D-Bus session bus of the test's own, as every desktop session has one.
// Whatever runs on it (the clock, a sound server, a panel) meets nothing of
// the session the tests were started from, and libdbus, finding a bus,
// never starts one of its own through dbus-launch.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

class SessionBus
{
public:
    SessionBus();
    ~SessionBus();
    bool isRunning() const;
    // DBUS_SESSION_BUS_ADDRESS, for the programs that are to use it.
    QProcessEnvironment environment() const;
    QString address() const;

private:
    // The bus's socket, and whatever the bus keeps under the runtime
    // folder it is given.
    QTemporaryDir m_dir;
    QProcess m_daemon;
    bool m_ready = false;
};
