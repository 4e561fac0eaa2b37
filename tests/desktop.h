#pragma once

// Drives the real program on a real X server as a user would: its window
// found by name, keys and clicks through xdotool, closing as a window
// manager does. scripts/test provides the server (DISPLAY), a tray host and
// a sound server.

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>

// Runs a command to its end and returns what it printed; empty on failure.
QString runCommand(const QString &program, const QStringList &arguments, int timeoutMs = 15000);

class RunningClock
{
public:
    // Starts build/relogio with the environment given on top of this one's.
    explicit RunningClock(const QProcessEnvironment &extra = {});
    ~RunningClock();

    // The main window's X id, once it is mapped; empty if it never was.
    QString waitForWindow(int timeoutMs = 15000);
    // The id of a window of the program by its whole title, once it is mapped.
    QString waitForWindowNamed(const QString &title, int timeoutMs = 10000) const;
    // Every mapped window of the program with that whole title.
    QStringList windowsNamed(const QString &title) const;
    // When the program was started, in wall-clock milliseconds.
    double startedAt() const { return m_startedAt; }
    QString window() const { return m_window; }

    // Keys as xdotool names them ("F8", "ctrl+F11"), to the given window or
    // the main one, which gets the keyboard focus first.
    void key(const QString &keys, const QString &window = {});
    void type(const QString &text, const QString &window = {});
    void clickAt(QPoint screenPoint);
    bool isViewable(const QString &window = {}) const;
    QRect geometry(const QString &window = {}) const;
    // Asks the window to close, as the close button of a title bar does.
    void close(const QString &window = {});

    bool waitForExit(int timeoutMs);
    QProcess &process() { return m_process; }
    QString output();

private:
    void focus(const QString &window);

    QProcess m_process;
    QString m_window;
    QString m_output;
    double m_startedAt = 0;
};

// The windows docked in the tray host's panel.
QStringList trayIcons();
// Where the tray host's panel is on the screen, or an empty rectangle.
QRect trayPanel();
// An X server of the test's own, without a tray host or anything else.
class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};
