// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"

#include "audiomonitor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

QProcessEnvironment withSystem(const QProcessEnvironment &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    return env;
}

QProcessEnvironment displayEnvironment(const QString &display)
{
    QProcessEnvironment env;
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    return env;
}

// Tests run side by side, and runs one after another, start and end X
// servers all the time. A number just let go may still be in the hands of a
// server that is ending, which takes its socket away with it as it goes,
// from under the new server of that number. So no number is handed out
// twice until all of them have gone round: the count is kept for the
// machine (for each user), beside the servers' own locks.
int nextDisplayNumber()
{
    constexpr int first = 1000, count = 58000; // below 59535, the last with a TCP port
    // Without the count, a range of this test's own is the next best thing.
    static int anywhere = first + int(QCoreApplication::applicationPid() % (count / 10)) * 10;
    const QByteArray path = "/tmp/.relogio-test-displays-" + QByteArray::number(::getuid());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return anywhere++;
    ::flock(fd, LOCK_EX);
    char text[16] = {};
    int number = ::pread(fd, text, sizeof text - 1, 0) > 0 ? std::atoi(text) : 0;
    if (number < first || number >= first + count)
        number = anywhere;
    const QByteArray after = QByteArray::number(first + (number + 1 - first) % count);
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, after.constData(), size_t(after.size()), 0) != after.size())
        number = anywhere++;
    ::close(fd); // and the lock with it
    return number;
}

} // namespace

QString runCommand(const QString &program, const QStringList &arguments, int timeoutMs, const QProcessEnvironment &extra)
{
    QProcess p;
    if (!extra.isEmpty())
        p.setProcessEnvironment(withSystem(extra));
    p.setStandardErrorFile(QProcess::nullDevice()); // a window that has gone is no news
    p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QTest::qWait(int(std::min<qint64>(pollMs, std::max<qint64>(1, deadline.remainingTime()))));
    }
}

RunningClock::RunningClock(const QProcessEnvironment &extra)
    : m_display(displayEnvironment(extra.value(QStringLiteral("DISPLAY"))))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP",
                             "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    if (!extra.contains(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"))) {
        m_bus = std::make_unique<SessionBus>();
        env.insert(m_bus->environment());
    }
    env.insert(extra);
    m_process.setProcessEnvironment(env);
    // As a desktop starts a program, whatever this test inherited: the
    // signals that end a session take their default course.
    m_process.setChildProcessModifier([] {
        for (int signal : {SIGHUP, SIGINT, SIGTERM})
            ::signal(signal, SIG_DFL);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_startedAt = wallMs();
    m_process.start(QStringLiteral(RELOGIO_BINARY), {});
}

RunningClock::~RunningClock()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString RunningClock::run(const QString &program, const QStringList &arguments) const
{
    return runCommand(program, arguments, 15000, m_display);
}

QStringList RunningClock::windowsNamed(const QString &title) const
{
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                QString::number(m_process.processId()), QStringLiteral("--name"),
                QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString RunningClock::waitForWindowNamed(const QString &title, int timeoutMs) const
{
    QString id;
    (void)waitFor(
        [&] {
            id = windowsNamed(title).value(0);
            // A program that has ended shows no window any more.
            return !id.isEmpty() || m_process.state() == QProcess::NotRunning;
        },
        timeoutMs, 50);
    return id;
}

QString RunningClock::waitForWindow(int timeoutMs)
{
    m_window = waitForWindowNamed(QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"), timeoutMs);
    return m_window;
}

void RunningClock::focus(const QString &window)
{
    // Keys sent before the focus has moved would go to the window that had
    // it. Without a window manager a window under a modal one may never take
    // the focus: it is waited for a while, not for ever.
    const QString target = window.isEmpty() ? m_window : window;
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), target});
    (void)waitFor(
        [&] {
            return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed().toULongLong()
                   == target.toULongLong();
        },
        1000, 50);
}

void RunningClock::key(const QString &keys, const QString &window)
{
    focus(window);
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"),
                                               QStringLiteral("--clearmodifiers")}
                                       + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QTest::qWait(100);
}

void RunningClock::type(const QString &text, const QString &window)
{
    focus(window);
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void RunningClock::paste(const QString &text, const QString &window)
{
    QProcess clipboard;
    clipboard.setProcessEnvironment(withSystem(m_display));
    // xclip keeps the text on offer, in the background, until it is pasted once.
    clipboard.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                              QStringLiteral("-loops"), QStringLiteral("1")});
    clipboard.write(text.toUtf8());
    clipboard.closeWriteChannel();
    clipboard.waitForFinished(5000);
    key(QStringLiteral("ctrl+v"), window);
}

void RunningClock::clickAt(QPoint p)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    QTest::qWait(150);
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
}

bool RunningClock::isViewable(const QString &window) const
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.isEmpty() ? m_window : window})
        .contains(QStringLiteral("IsViewable"));
}

bool RunningClock::isIconic(const QString &window) const
{
    // What a window manager reads when the window is mapped; with none to
    // tidy up after it, _NET_WM_STATE would keep a minimise of long ago.
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), window.isEmpty() ? m_window : window,
                                         QStringLiteral("WM_HINTS")})
        .contains(QStringLiteral("Initial state is Iconic State"));
}

QRect RunningClock::geometry(const QString &window) const
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.isEmpty() ? m_window : window});
    auto number = [&](const char *label) {
        const auto m = QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)")).match(info);
        return m.captured(1).toInt();
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height")};
}

void RunningClock::close(const QString &window)
{
    run(QStringLiteral(XCLOSE_BINARY), {window.isEmpty() ? m_window : window});
}

bool RunningClock::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

QString RunningClock::output()
{
    m_output += QString::fromUtf8(m_process.readAll());
    return m_output;
}

QStringList trayIcons(const QString &display)
{
    // The tray host's panel is the window named "panel"; the icons docked in
    // it are its children, each a window of a program.
    const QString tree = runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, 15000,
                                    displayEnvironment(display));
    QStringList icons;
    bool inPanel = false;
    int panelIndent = 0, childIndent = -1;
    for (const QString &line : tree.split(QLatin1Char('\n'))) {
        const int indent = int(line.size() - line.trimmed().size());
        if (line.contains(QStringLiteral("\"panel\": (\"panel\" \"trayer\")"))) {
            inPanel = true;
            panelIndent = indent;
            continue;
        }
        if (!inPanel || !line.trimmed().startsWith(QStringLiteral("0x")))
            continue;
        if (indent <= panelIndent) {
            inPanel = false;
            continue;
        }
        if (childIndent < 0)
            childIndent = indent;
        // The panel's own children only, not the icons' inner windows; a
        // 1x1 window is the host's placeholder, not an icon.
        if (indent == childIndent && !line.contains(QStringLiteral(" 1x1+")))
            icons << line.trimmed();
    }
    return icons;
}

QRect trayPanel(const QString &display)
{
    const QString tree = runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, 15000,
                                    displayEnvironment(display));
    const auto m = QRegularExpression(QStringLiteral("\"panel\": \\(\"panel\" \"trayer\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"))
                       .match(tree);
    if (!m.hasMatch())
        return {};
    return {m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt()};
}

PrivateDisplay::PrivateDisplay()
{
    endsWithTheTest(m_server);
    for (int attempt = 0; attempt < 20 && m_name.isEmpty(); ++attempt) {
        const QString display = QStringLiteral(":%1").arg(nextDisplayNumber());
        QTemporaryFile number;
        number.open();
        m_server.setStandardOutputFile(number.fileName());
        m_server.setStandardErrorFile(QProcess::nullDevice()); // a number in use is no news
        m_server.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-noreset")});
        // The number comes once the server takes clients; a server that
        // ends first found its number taken. One that says it is ready is
        // taken at its word only once a client has reached it. Without
        // -noreset the server starts over when that client leaves, and a
        // program connecting in that moment is turned away.
        if (waitFor([&] { return number.size() > 0 || m_server.state() == QProcess::NotRunning; }, 30000)
            && number.size() > 0
            && runCommand(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), display}, 15000)
                   .contains(QStringLiteral("number of screens")))
            m_name = display;
        else
            endProcess(m_server);
    }
}

PrivateDisplay::~PrivateDisplay()
{
    stop();
}

QProcessEnvironment PrivateDisplay::environment() const
{
    return displayEnvironment(m_name);
}

void PrivateDisplay::stop()
{
    endProcess(m_server);
}

TrayHost::TrayHost(const QString &display) : m_display(display)
{
    endsWithTheTest(m_trayer);
    m_trayer.setProcessEnvironment(withSystem(displayEnvironment(display)));
    const QString log = m_log.filePath(QStringLiteral("trayer"));
    m_trayer.setStandardOutputFile(log, QIODevice::Append);
    m_trayer.setStandardErrorFile(log, QIODevice::Append);
    // A panel that finds no display on a machine this busy is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_trayer.start(QStringLiteral("trayer"),
                       {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                        QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                        QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                        QStringLiteral("false"), QStringLiteral("--SetPartialStrut"), QStringLiteral("false")});
        if (waitFor([&] { return isRunning() || m_trayer.state() == QProcess::NotRunning; }, 30000) && isRunning())
            return;
        endProcess(m_trayer);
        QTest::qWait(250);
    }
}

QString TrayHost::output() const
{
    QFile log(m_log.filePath(QStringLiteral("trayer")));
    log.open(QIODevice::ReadOnly);
    return QStringLiteral("%1, exit %2: ").arg(m_trayer.state() == QProcess::Running ? "running" : "ended")
               .arg(m_trayer.exitCode())
           + QString::fromLocal8Bit(log.readAll());
}

TrayHost::~TrayHost()
{
    stop();
}

void TrayHost::stop()
{
    // No goodbye, as when a panel crashes.
    if (m_trayer.state() != QProcess::NotRunning) {
        m_trayer.kill();
        m_trayer.waitForFinished();
    }
}

RootWindowRequests::RootWindowRequests(const QString &display)
{
    // Requests to the window manager go to the root window for whoever
    // listens to its structure; xev prints each as it comes.
    endsWithTheTest(m_xev);
    m_xev.start(QStringLiteral("xev"), {QStringLiteral("-display"), display, QStringLiteral("-root"),
                                        QStringLiteral("-event"), QStringLiteral("structure")});
    m_xev.waitForStarted();
}

RootWindowRequests::~RootWindowRequests()
{
    endProcess(m_xev);
}

bool RootWindowRequests::minimiseAskedBy(const QString &window)
{
    m_heard += QString::fromLocal8Bit(m_xev.readAllStandardOutput());
    // xev names windows in hexadecimal, xdotool in decimal.
    const QString request = QStringLiteral("window 0x%1,\n    message_type 0x[0-9a-f]+ \\(WM_CHANGE_STATE\\)")
                                .arg(window.toULongLong(), 0, 16);
    return m_heard.contains(QRegularExpression(request));
}

int soundStreamsOf(qint64 pid, const QProcessEnvironment &server)
{
    return int(soundStreamPropertiesOf(pid, server).size());
}

QStringList soundStreamPropertiesOf(qint64 pid, const QProcessEnvironment &server)
{
    const QString all = runCommand(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")}, 5000, server);
    QStringList streams;
    for (const QString &stream : all.split(QStringLiteral("Sink Input #"))) {
        if (stream.contains(QStringLiteral("application.process.id = \"%1\"").arg(pid)))
            streams << stream;
    }
    return streams;
}

namespace {

const QString waylandSocket = QStringLiteral("relogio-test");

} // namespace

PrivateCompositor::PrivateCompositor()
{
    // A machine this busy may fail one of the three now and then; a start
    // that lost one is tried again from nothing.
    for (int attempt = 0; attempt < 3; ++attempt) {
        start();
        if (isRunning()) {
            if (!m_failures.isEmpty())
                qWarning("the compositor started again after: %s", qPrintable(m_failures));
            return;
        }
        m_failures += whatEnded();
        stop();
        // Sockets and locks of the failed start would stand in the way; the
        // folder itself stays, private as a runtime folder must be.
        const QDir runtime(m_runtime.path());
        for (const QFileInfo &entry : runtime.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (entry.isDir())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
        QTest::qWait(250);
    }
}

QString PrivateCompositor::whatEnded() const
{
    QFile log(m_runtime.filePath(QStringLiteral("weston.log")));
    log.open(QIODevice::ReadOnly);
    return QStringLiteral("weston %1, session bus %2, accessibility bus %3; weston said: %4\n")
        .arg(m_weston.state() == QProcess::Running ? "running" : "ended",
             m_bus.state() == QProcess::Running ? "running" : "ended",
             m_accessibilityBus.state() == QProcess::Running ? "running" : "ended",
             QString::fromLocal8Bit(log.readAll().right(600)));
}

void PrivateCompositor::start()
{
    QProcessEnvironment runtime;
    // The compositor's socket, the buses and whatever they keep stay in
    // here; the buses hand it on to the services they start.
    runtime.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    const QString bus = m_runtime.filePath(QStringLiteral("bus"));

    endsWithTheTest(m_weston);
    endsWithTheTest(m_bus);
    endsWithTheTest(m_accessibilityBus);
    m_weston.setProcessEnvironment(withSystem(runtime));
    m_weston.setStandardOutputFile(m_runtime.filePath(QStringLiteral("weston.log")));
    m_weston.setStandardErrorFile(m_runtime.filePath(QStringLiteral("weston.log")));
    // --debug lets weston-screenshooter take pictures.
    m_weston.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                    QStringLiteral("--socket=") + waylandSocket, QStringLiteral("--idle-time=0"), QStringLiteral("--debug"),
                    QStringLiteral("--width=1024"), QStringLiteral("--height=768")});

    m_bus.setProcessEnvironment(withSystem(runtime));
    m_bus.setStandardOutputFile(QProcess::nullDevice());
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                QStringLiteral("--address=unix:path=") + bus});
    (void)QTest::qWaitFor([&] { return QFileInfo::exists(bus); }, 30000);

    // Qt joins the accessibility bus only if it is there when the program
    // starts; the launcher starts it and the registry on it.
    QProcessEnvironment withBus = runtime;
    withBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
    m_accessibilityBus.setProcessEnvironment(withSystem(withBus));
    m_accessibilityBus.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
    (void)QTest::qWaitFor(
        [&] {
            return !runCommand(QStringLiteral("dbus-send"),
                               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                QStringLiteral("org.a11y.Bus.GetAddress")},
                               5000, withBus)
                        .isEmpty();
        },
        30000);

    // The desktop is ready once its picture holds still.
    QImage before;
    (void)QTest::qWaitFor(
        [&] {
            const QImage now = screenshot();
            const bool settled = !now.isNull() && now == before && now.pixel(0, now.height() - 1) != now.pixel(0, 0);
            before = now;
            return settled;
        },
        30000);
}

PrivateCompositor::~PrivateCompositor()
{
    stop();
}

void PrivateCompositor::stop()
{
    endProcess(m_accessibilityBus);
    endProcess(m_bus);
    endProcess(m_weston);
}

bool PrivateCompositor::isRunning() const
{
    return m_weston.state() == QProcess::Running && m_bus.state() == QProcess::Running
        && m_accessibilityBus.state() == QProcess::Running;
}

QProcessEnvironment PrivateCompositor::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandSocket);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_runtime.filePath(QStringLiteral("bus")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return env;
}

QImage PrivateCompositor::screenshot() const
{
    // The screenshooter writes its picture into the folder it runs in.
    QTemporaryDir folder;
    QProcess shooter;
    shooter.setWorkingDirectory(folder.path());
    shooter.setProcessEnvironment(withSystem(environment()));
    shooter.setStandardOutputFile(QProcess::nullDevice());
    shooter.setStandardErrorFile(QProcess::nullDevice());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(15000) || shooter.exitCode() != 0)
        return {};
    const QStringList pictures = QDir(folder.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    return pictures.isEmpty() ? QImage() : QImage(folder.filePath(pictures.constFirst()));
}

bool PrivateCompositor::accessible(qint64 pid, const QStringList &arguments) const
{
    QProcess driver;
    driver.setProcessEnvironment(withSystem(environment()));
    driver.setProcessChannelMode(QProcess::ForwardedChannels);
    // Debian's own Python, the one with the accessibility bindings.
    driver.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(A11Y_DRIVER), QString::number(pid)} + arguments);
    if (!driver.waitForFinished(30000)) {
        driver.kill();
        driver.waitForFinished();
        return false;
    }
    return driver.exitStatus() == QProcess::NormalExit && driver.exitCode() == 0;
}

bool PrivateCompositor::press(qint64 pid, const QString &accessibleName) const
{
    return accessible(pid, {QStringLiteral("press"), accessibleName});
}

bool PrivateCompositor::setText(qint64 pid, const QString &accessibleName, const QString &text) const
{
    return accessible(pid, {QStringLiteral("set-text"), accessibleName, text});
}

bool PrivateCompositor::reads(qint64 pid, const QStringList &rolesAndWords) const
{
    return accessible(pid, QStringList{QStringLiteral("reads")} + rolesAndWords);
}

qsizetype differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return std::max(qsizetype(a.width()) * a.height(), qsizetype(b.width()) * b.height());
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qsizetype differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column)
            differing += p[column] != q[column];
    }
    return differing;
}

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

void endsWithTheTest(QProcess &process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

TestDesktop::TestDesktop() : tray(display.name()) {}

QString TestDesktop::whatFailed() const
{
    if (display.name().isEmpty())
        return QStringLiteral("the X server (Xvfb) did not start");
    if (!bus.isRunning())
        return QStringLiteral("the session bus (dbus-daemon) did not start");
    if (!tray.isRunning())
        return QStringLiteral("the tray host (trayer) did not start on %1: %2").arg(display.name(), tray.output());
    if (!sound.isRunning())
        return QStringLiteral("the sound server (%1) did not start").arg(SoundServer::name(sound.kind()));
    return {};
}

QProcessEnvironment TestDesktop::environment() const
{
    QProcessEnvironment env = display.environment();
    env.insert(bus.environment());
    env.insert(sound.environment());
    return env;
}

WindowManager::WindowManager(const QString &display) : m_display(display)
{
    endsWithTheTest(m_manager);
    // A home of its own, for whatever it keeps there.
    QProcessEnvironment env = withSystem(displayEnvironment(display));
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    m_manager.setProcessEnvironment(env);
    const QString preferences = m_home.filePath(QStringLiteral("preferences"));
    QFile file(preferences);
    if (!file.open(QIODevice::WriteOnly) || file.write("ShowTaskBar=0\n") < 0)
        return;
    file.close();
    const QString log = m_home.filePath(QStringLiteral("log"));
    m_manager.setStandardOutputFile(log, QIODevice::Append);
    m_manager.setStandardErrorFile(log, QIODevice::Append);
    // As a panel, a window manager that finds no display on a machine this
    // busy is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_manager.start(QStringLiteral("icewm"), {QStringLiteral("--config=") + preferences});
        if (waitFor([&] { return isRunning() || m_manager.state() == QProcess::NotRunning; }, 30000) && isRunning())
            return;
        endProcess(m_manager);
        QTest::qWait(250);
    }
}

WindowManager::~WindowManager()
{
    endProcess(m_manager);
}

bool WindowManager::isRunning() const
{
    // A window manager names its own window on the root window once it manages.
    return m_manager.state() == QProcess::Running
           && runCommand(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                         15000, displayEnvironment(m_display))
                  .contains(QStringLiteral("window id"));
}

QString WindowManager::output() const
{
    QFile log(m_home.filePath(QStringLiteral("log")));
    log.open(QIODevice::ReadOnly);
    return QStringLiteral("the window manager (icewm) did not start: ") + QString::fromLocal8Bit(log.readAll());
}

QString WindowManager::stateOf(const QString &window) const
{
    const QString state = runCommand(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")},
                                     15000, displayEnvironment(m_display));
    return QRegularExpression(QStringLiteral("window state: (\\w+)")).match(state).captured(1);
}
