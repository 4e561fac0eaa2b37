// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundserver.h"

#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What PipeWire's session manager finds for itself on a desktop: sound
// cards, cameras, Bluetooth. The test's server has its silent sink only,
// and never takes the machine's own devices from the user's server.
const char *const noDevices[][2] = {
    {"main.lua.d/51-relogio-test.lua", "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\n"
                                       "libcamera_monitor.enabled = false\n"},
    {"bluetooth.lua.d/51-relogio-test.lua", "bluez_monitor.enabled = false\n"},
};

} // namespace

SoundServer::SoundServer(Kind kind) : m_kind(kind)
{
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(m_dir.path()).mkpath(QStringLiteral("pulse"));
    const QByteArray address = QFile::encodeName(m_dir.filePath(QStringLiteral("pulse/native")));
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    if (size_t(address.size()) < sizeof where.sun_path) {
        std::copy(address.begin(), address.end(), where.sun_path);
        m_address = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_address >= 0
            && (::bind(m_address, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0
                || ::listen(m_address, SOMAXCONN) != 0)) {
            ::close(m_address);
            m_address = -1;
        }
    }
    for (QProcess &p : m_processes) {
        endsWithTheTest(p);
        p.setStandardOutputFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
        p.setStandardErrorFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    }
    start();
}

SoundServer::~SoundServer()
{
    thaw();
    kill();
    if (m_address >= 0)
        ::close(m_address);
}

void SoundServer::startOnTheAddress(QProcess &process, const QString &program, const QStringList &arguments)
{
    // The service manager's way: the socket as descriptor 3, and the count
    // of such sockets and the process they are for in the environment.
    const int address = m_address;
    process.setChildProcessModifier([address] {
        if (address == 3)
            ::fcntl(3, F_SETFD, 0);
        else if (address >= 0)
            ::dup2(address, 3);
    });
    process.start(QStringLiteral("sh"), QStringList{QStringLiteral("-c"),
                                                    QStringLiteral("export LISTEN_FDS=1 LISTEN_PID=$$; exec \"$0\" \"$@\""),
                                                    program}
                                            + arguments);
}

QProcessEnvironment SoundServer::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("pulse/native")));
    return env;
}

QString SoundServer::pactl(const QStringList &arguments) const
{
    return runCommand(QStringLiteral("pactl"), arguments, 5000, environment()).trimmed();
}

bool SoundServer::isRunning() const
{
    for (int i = 0; i < (m_kind == PipeWire ? 3 : 1); ++i) {
        if (m_processes[i].state() != QProcess::Running)
            return false;
    }
    // PipeWire answers before its session manager has put the sink in place.
    return m_kind == PipeWire ? pactl({QStringLiteral("get-default-sink")}) == sink()
                              : !pactl({QStringLiteral("info")}).isEmpty();
}

bool SoundServer::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Nothing of the user's own servers, settings and display.
    for (const char *name : {"PULSE_SERVER", "PULSE_RUNTIME_PATH", "PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR",
                             "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(m_bus.environment());
    if (m_kind == PipeWire)
        return startPipeWire(env);
    m_processes[0].setProcessEnvironment(env);
    startOnTheAddress(m_processes[0], QStringLiteral("pulseaudio"),
                      {QStringLiteral("--daemonize=no"), QStringLiteral("--system=false"),
                       QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=false"), QStringLiteral("-n"),
                       QStringLiteral("--load=module-null-sink sink_name=") + sink(),
                       QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=")
                           + m_dir.filePath(QStringLiteral("pulse/native"))});
    return QTest::qWaitFor([this] { return isRunning(); }, 30000);
}

bool SoundServer::startPipeWire(const QProcessEnvironment &env)
{
    for (const auto &[file, text] : noDevices) {
        const QString path = m_dir.filePath(QStringLiteral(".config/wireplumber/") + QLatin1String(file));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) < 0)
            return false;
    }
    const QStringList programs{QStringLiteral("pipewire"), QStringLiteral("wireplumber"), QStringLiteral("pipewire-pulse")};
    // A PipeWire killed leaves its socket behind: the session manager and
    // the PulseAudio server would find it and give up on it before the new
    // one listens.
    QFile::remove(m_dir.filePath(QStringLiteral("pipewire-0")));
    for (int i = 0; i < 3; ++i) {
        m_processes[i].setProcessEnvironment(env);
        if (i == 2) {
            startOnTheAddress(m_processes[i], programs[i], {});
        } else {
            // The first process may have been PulseAudio, on the address.
            m_processes[i].setChildProcessModifier([] {});
            m_processes[i].start(programs[i], {});
        }
        // The session manager and the PulseAudio server connect to PipeWire.
        if (i == 0 && !QTest::qWaitFor([this] { return QFile::exists(m_dir.filePath(QStringLiteral("pipewire-0"))); }, 30000))
            return false;
    }
    if (!QTest::qWaitFor([this] { return !pactl({QStringLiteral("info")}).isEmpty(); }, 30000))
        return false;
    pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + sink()});
    pactl({QStringLiteral("set-default-sink"), sink()});
    return QTest::qWaitFor([this] { return isRunning(); }, 30000);
}

bool SoundServer::startAs(Kind kind)
{
    thaw();
    kill();
    m_kind = kind;
    return start();
}

void SoundServer::freeze()
{
    if (m_frozen)
        return;
    for (QProcess &p : m_processes) {
        if (p.state() == QProcess::Running)
            ::kill(pid_t(p.processId()), SIGSTOP);
    }
    m_frozen = true;
}

void SoundServer::thaw()
{
    if (!m_frozen)
        return;
    for (QProcess &p : m_processes) {
        if (p.state() == QProcess::Running)
            ::kill(pid_t(p.processId()), SIGCONT);
    }
    m_frozen = false;
}

void SoundServer::kill()
{
    for (QProcess &p : m_processes) {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
    }
}
