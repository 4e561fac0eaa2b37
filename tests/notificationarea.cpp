// SPDX-License-Identifier: GPL-3.0-or-later
#include "notificationarea.h"

#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <utility>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// One panel along the bottom with one plugin, the tray of that name.
QByteArray xfcePanel(const QByteArray &plugin)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value=")"
           + plugin + R"("/>
  </property>
</channel>
)";
}

} // namespace

NotificationArea::NotificationArea(Kind kind, const QProcessEnvironment &session) : m_kind(kind), m_session(session)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(session);
    // The panel's settings, caches and runtime files in a home of its own,
    // and so for the settings service that the bus starts for it.
    QStringList homes;
    for (const auto &[name, place] : {std::pair{"HOME", ""}, {"XDG_CONFIG_HOME", "/.config"}, {"XDG_CACHE_HOME", "/.cache"},
                                      {"XDG_DATA_HOME", "/.local/share"}, {"XDG_RUNTIME_DIR", ""}}) {
        env.insert(QString::fromLatin1(name), m_home.path() + QString::fromLatin1(place));
        homes << QString::fromLatin1(name) << m_home.path() + QString::fromLatin1(place);
    }
    runCommand(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.freedesktop.DBus"),
                QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.UpdateActivationEnvironment"),
                QStringLiteral("dict:string:string:") + homes.join(QLatin1Char(','))},
               5000, session);
    QFile::setPermissions(m_home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString settings = m_home.filePath(QStringLiteral(".config/xfce4/xfconf/xfce-perchannel-xml"));
    QDir().mkpath(settings);
    QFile file(settings + QStringLiteral("/xfce4-panel.xml"));
    file.open(QIODevice::WriteOnly);
    file.write(xfcePanel(kind == XfceTray ? "systray" : "sntray"));
    file.close();

    for (QProcess *process : {&m_panel, &m_watcher}) {
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        // The panel's plugins run in processes of their own: all of them
        // end with the test, and with the panel when it is made to crash.
        process->setChildProcessModifier([] {
            ::setpgid(0, 0);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
    }
    if (kind == WatcherAndShell) {
        m_watcher.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(SNWATCHER), QStringLiteral("watcher")});
        (void)waitFor([this] { return !call({QStringLiteral("org.freedesktop.DBus.Peer.Ping")}).isEmpty(); }, 30000);
    }
}

NotificationArea::~NotificationArea()
{
    stop();
    if (m_watcher.state() != QProcess::NotRunning) {
        ::kill(-pid_t(m_watcher.processId()), SIGKILL);
        m_watcher.waitForFinished();
    }
}

bool NotificationArea::start()
{
    if (m_kind == WatcherAndShell)
        m_panel.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(SNWATCHER), QStringLiteral("host")});
    else
        m_panel.start(QStringLiteral("xfce4-panel"), {QStringLiteral("--disable-wm-check")});
    return waitFor(
        [this] {
            return call({QStringLiteral("org.freedesktop.DBus.Properties.Get"), QStringLiteral("string:") + watcher,
                         QStringLiteral("string:IsStatusNotifierHostRegistered")})
                .contains(QStringLiteral("boolean true"));
        },
        30000, 100);
}

void NotificationArea::stop()
{
    if (m_panel.state() == QProcess::NotRunning)
        return;
    ::kill(-pid_t(m_panel.processId()), SIGKILL);
    m_panel.waitForFinished();
}

QString NotificationArea::output() const
{
    return QString::fromLocal8Bit(const_cast<QProcess &>(m_panel).readAll());
}

QString NotificationArea::call(const QStringList &arguments) const
{
    return runCommand(QStringLiteral("dbus-send"),
                      QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                  QStringLiteral("--dest=") + watcher, QStringLiteral("/StatusNotifierWatcher")}
                          + arguments,
                      5000, m_session);
}

QStringList NotificationArea::items() const
{
    const QString reply = call({QStringLiteral("org.freedesktop.DBus.Properties.Get"), QStringLiteral("string:") + watcher,
                                QStringLiteral("string:RegisteredStatusNotifierItems")});
    QStringList items;
    for (const auto &m : QRegularExpression(QStringLiteral("string \"([^\"]+)\"")).globalMatch(reply))
        items << m.captured(1);
    return items;
}

void NotificationArea::activateIcon() const
{
    if (m_kind == WatcherAndShell) {
        for (const QString &item : items())
            runCommand(QStringLiteral("dbus-send"),
                       {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=") + item,
                        QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem.Activate"),
                        QStringLiteral("int32:0"), QStringLiteral("int32:0")},
                       5000, m_session);
        return;
    }
    // The panel runs along the bottom of the screen, its one plugin first;
    // it is the widest of the panel's windows.
    const QString tree = runCommand(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, 15000,
                                    m_session);
    const QRegularExpression windows(QStringLiteral("\"Xfce4-panel\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"));
    QRect panel;
    for (const auto &w : windows.globalMatch(tree)) {
        const QRect r(w.captured(3).toInt(), w.captured(4).toInt(), w.captured(1).toInt(), w.captured(2).toInt());
        if (r.width() > panel.width())
            panel = r;
    }
    runCommand(QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QString::number(panel.left() + 13), QString::number(panel.center().y())}, 5000,
               m_session);
    QTest::qWait(150);
    runCommand(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")}, 5000, m_session);
}

int NotificationArea::busTraffic(int ms) const
{
    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(m_session);
    monitor.setProcessEnvironment(env);
    monitor.start(QStringLiteral("dbus-monitor"), {QStringLiteral("--session")});
    monitor.waitForStarted();
    QTest::qWait(ms);
    monitor.terminate();
    monitor.waitForFinished();
    return int(QString::fromLocal8Bit(monitor.readAllStandardOutput()).count(QStringLiteral(" member=")));
}
