#include "desktop.h"

#include "audiomonitor.h"

#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

QString runCommand(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice()); // a window that has gone is no news
    p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

RunningClock::RunningClock(const QProcessEnvironment &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(extra);
    m_process.setProcessEnvironment(env);
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

QStringList RunningClock::windowsNamed(const QString &title) const
{
    return runCommand(QStringLiteral("xdotool"),
                      {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                       QString::number(m_process.processId()), QStringLiteral("--name"),
                       QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString RunningClock::waitForWindowNamed(const QString &title, int timeoutMs) const
{
    QString id;
    (void)QTest::qWaitFor(
        [&] {
            id = windowsNamed(title).value(0);
            return !id.isEmpty();
        },
        timeoutMs);
    return id;
}

QString RunningClock::waitForWindow(int timeoutMs)
{
    m_window = waitForWindowNamed(QStringLiteral("Relógio Trivelandor Ovalen Brakmund!"), timeoutMs);
    return m_window;
}

void RunningClock::focus(const QString &window)
{
    // Without a window manager a window under a modal one may never take the
    // focus: ask for it, and do not wait for it.
    runCommand(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window.isEmpty() ? m_window : window});
    QTest::qWait(100);
}

void RunningClock::key(const QString &keys, const QString &window)
{
    focus(window);
    runCommand(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                                      QStringLiteral("60"), QStringLiteral("--clearmodifiers")}
                                              + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QTest::qWait(100);
}

void RunningClock::type(const QString &text, const QString &window)
{
    focus(window);
    runCommand(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void RunningClock::clickAt(QPoint p)
{
    runCommand(QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    QTest::qWait(150);
    runCommand(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
}

bool RunningClock::isViewable(const QString &window) const
{
    return runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.isEmpty() ? m_window : window})
        .contains(QStringLiteral("IsViewable"));
}

QRect RunningClock::geometry(const QString &window) const
{
    const QString info =
        runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.isEmpty() ? m_window : window});
    auto number = [&](const char *label) {
        const auto m = QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)")).match(info);
        return m.captured(1).toInt();
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height")};
}

void RunningClock::close(const QString &window)
{
    runCommand(QStringLiteral(XCLOSE_BINARY), {window.isEmpty() ? m_window : window});
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

QStringList trayIcons()
{
    // The tray host's panel is the window named "panel"; the icons docked in
    // it are its children, each a window of a program.
    const QString tree = runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
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

QRect trayPanel()
{
    const QString tree = runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    const auto m = QRegularExpression(QStringLiteral("\"panel\": \\(\"panel\" \"trayer\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"))
                       .match(tree);
    if (!m.hasMatch())
        return {};
    return {m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt()};
}

PrivateDisplay::PrivateDisplay()
{
    QTemporaryFile number;
    number.open();
    m_server.setStandardOutputFile(number.fileName());
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    (void)QTest::qWaitFor([&] { return number.size() > 0; }, 10000);
    m_name = QStringLiteral(":") + QString::fromUtf8(number.readAll()).trimmed();
}

PrivateDisplay::~PrivateDisplay()
{
    m_server.terminate();
    m_server.waitForFinished();
}
