// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sound server of the test's own, with a silent sink, that the test can
// freeze, kill and start again, as a desktop's sound server may do: either
// PulseAudio itself or PipeWire with its PulseAudio server, as Debian's
// desktops have it. Programs talk to either through libpulse. Its address
// is a socket the test holds and hands to each server it starts, as the
// desktop's service manager does: a program that connects while the server
// restarts waits for it, as it would on the desktop.

#include "sessionbus.h"

#include <QMetaType>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <array>

class SoundServer
{
public:
    enum Kind { PulseAudio, PipeWire };

    // Started; isRunning() tells whether it came up.
    explicit SoundServer(Kind kind = PulseAudio);
    ~SoundServer();

    Kind kind() const { return m_kind; }
    static QString name(Kind kind) { return kind == PipeWire ? QStringLiteral("PipeWire") : QStringLiteral("PulseAudio"); }
    bool isRunning() const;
    // For the programs that are to use it.
    QProcessEnvironment environment() const;
    static QString sink() { return QStringLiteral("test_null"); }

    void freeze(); // SIGSTOP
    void thaw();   // SIGCONT
    void kill();   // SIGKILL, as a crash
    bool start();
    // Ends this server and starts one of the other kind in its place, with
    // the same address.
    bool startAs(Kind kind);

private:
    bool startPipeWire(const QProcessEnvironment &env);
    // Starts the program with the address socket as its own, as if the
    // service manager had started it for that socket.
    void startOnTheAddress(QProcess &process, const QString &program, const QStringList &arguments);
    QString pactl(const QStringList &arguments) const;

    Kind m_kind;
    QTemporaryDir m_dir;
    // The server takes a name on its session bus, which a user's own
    // server already holds on the user's.
    SessionBus m_bus;
    // PulseAudio alone; or PipeWire, its session manager and its
    // PulseAudio server.
    std::array<QProcess, 3> m_processes;
    int m_address = -1; // the listening socket
    bool m_frozen = false;
};

Q_DECLARE_METATYPE(SoundServer::Kind)
