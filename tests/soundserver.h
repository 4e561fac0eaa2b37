// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A PulseAudio server of the test's own, with a silent sink, that the test
// can freeze, kill and start again, as a desktop's sound server may do.

#include "sessionbus.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

class SoundServer
{
public:
    // Started; isRunning() tells whether it came up.
    SoundServer();
    ~SoundServer();

    bool isRunning() const;
    // For the programs that are to use it.
    QProcessEnvironment environment() const;
    static QString sink() { return QStringLiteral("test_null"); }

    void freeze(); // SIGSTOP
    void thaw();   // SIGCONT
    void kill();   // SIGKILL, as a crash
    bool start();

private:
    QTemporaryDir m_dir;
    // PulseAudio takes a name on its session bus, which a user's own
    // server already holds on the user's.
    SessionBus m_bus;
    QProcess m_server;
    bool m_frozen = false;
};
