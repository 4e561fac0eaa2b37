// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundserver.h"

#include "desktop.h"

#include <QFile>
#include <QTest>

#include <signal.h>

SoundServer::SoundServer()
{
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    start();
}

SoundServer::~SoundServer()
{
    thaw();
    kill();
}

QProcessEnvironment SoundServer::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native")));
    return env;
}

bool SoundServer::isRunning() const
{
    if (m_server.state() != QProcess::Running)
        return false;
    QProcess info;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment());
    info.setProcessEnvironment(env);
    info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return info.waitForFinished(5000) && info.exitCode() == 0;
}

bool SoundServer::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(m_bus.environment());
    m_server.setProcessEnvironment(env);
    endsWithTheTest(m_server);
    m_server.setStandardOutputFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    m_server.setStandardErrorFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("--daemonize=no"), QStringLiteral("--system=false"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=false"), QStringLiteral("-n"),
                    QStringLiteral("--load=module-null-sink sink_name=") + sink(),
                    QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=")
                        + m_dir.filePath(QStringLiteral("native"))});
    return QTest::qWaitFor([this] { return isRunning(); }, 30000);
}

void SoundServer::freeze()
{
    if (m_server.state() == QProcess::Running && !m_frozen) {
        ::kill(pid_t(m_server.processId()), SIGSTOP);
        m_frozen = true;
    }
}

void SoundServer::thaw()
{
    if (m_frozen) {
        ::kill(pid_t(m_server.processId()), SIGCONT);
        m_frozen = false;
    }
}

void SoundServer::kill()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(5000);
    }
}
