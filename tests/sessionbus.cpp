// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessionbus.h"

#include "desktop.h"

SessionBus::SessionBus()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    m_daemon.setProcessEnvironment(env);
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    endsWithTheTest(m_daemon);
    // The bus prints its address once it takes clients.
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                    QStringLiteral("--print-address=1"), QStringLiteral("--address=") + address()});
    (void)waitFor([this] { return m_daemon.canReadLine() || m_daemon.state() == QProcess::NotRunning; }, 30000);
    m_ready = m_daemon.canReadLine();
}

SessionBus::~SessionBus()
{
    endProcess(m_daemon);
}

QString SessionBus::address() const
{
    return QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus"));
}

bool SessionBus::isRunning() const
{
    return m_ready && m_daemon.state() == QProcess::Running;
}

QProcessEnvironment SessionBus::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address());
    return env;
}
