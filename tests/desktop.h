// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drives the real program on a real X server as a user would: its window
// found by name, keys and clicks through xdotool, closing as a window
// manager does. scripts/test provides a server (DISPLAY), a tray host and
// a sound server; a test that changes them starts its own below, each
// stopped with its object on every path.

#include "sessionbus.h"
#include "soundserver.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Runs a command to its end, with the environment given on top of this
// one's, and returns what it printed; empty on failure.
QString runCommand(const QString &program, const QStringList &arguments, int timeoutMs = 15000,
                   const QProcessEnvironment &extra = {});

// Waits until the condition holds, by the wall clock however long each
// asking takes (QTRY_ counts its steps instead), asking at most every
// pollMs; false if it never did.
bool waitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs = 50);

class RunningClock
{
public:
    // Starts build/relogio with the environment given on top of this one's.
    // Its windows are looked for on the X server that environment names.
    // Without a session bus given, it gets one of its own; a Wayland display
    // or a desktop it is not given is not passed on from the tests' own
    // session.
    explicit RunningClock(const QProcessEnvironment &extra = {});
    ~RunningClock();

    // The main window's X id, once it is mapped; empty if it never was.
    QString waitForWindow(int timeoutMs = 30000);
    // The id of a window of the program by its whole title, once it is mapped.
    QString waitForWindowNamed(const QString &title, int timeoutMs = 20000) const;
    // Every mapped window of the program with that whole title.
    QStringList windowsNamed(const QString &title) const;
    // When the program was started, in wall-clock milliseconds.
    double startedAt() const { return m_startedAt; }
    QString window() const { return m_window; }

    // Keys as xdotool names them ("F8", "ctrl+F11"), to the given window or
    // the main one, which gets the keyboard focus first.
    void key(const QString &keys, const QString &window = {});
    void type(const QString &text, const QString &window = {});
    // Puts the text where the keyboard focus is through the clipboard, as
    // typing letters beyond ASCII is not reliable on a busy machine.
    void paste(const QString &text, const QString &window = {});
    void clickAt(QPoint screenPoint);
    bool isViewable(const QString &window = {}) const;
    // Mapped as minimised, as the window told the X server.
    bool isIconic(const QString &window = {}) const;
    QRect geometry(const QString &window = {}) const;
    // Asks the window to close, as the close button of a title bar does.
    void close(const QString &window = {});

    bool waitForExit(int timeoutMs);
    QProcess &process() { return m_process; }
    QString output();

private:
    void focus(const QString &window);
    QString run(const QString &program, const QStringList &arguments) const;

    QProcessEnvironment m_display; // DISPLAY for the commands that drive it
    std::unique_ptr<SessionBus> m_bus;
    QProcess m_process;
    QString m_window;
    QString m_output;
    double m_startedAt = 0;
};

// The windows docked in the tray host's panel, on the given X server or on
// the one of DISPLAY.
QStringList trayIcons(const QString &display = {});
// Where the tray host's panel is on the screen, or an empty rectangle.
QRect trayPanel(const QString &display = {});

// An X server of the test's own, without a tray host or anything else.
class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();
    QString name() const { return m_name; }
    // DISPLAY, for the programs that are to use it.
    QProcessEnvironment environment() const;
    // Ends the server, as when a session's display goes away.
    void stop();

private:
    QProcess m_server;
    QString m_name;
};

// A notification area (trayer's panel) on an X server, there from its
// start, which waits for the panel, to its end.
class TrayHost
{
public:
    explicit TrayHost(const QString &display);
    ~TrayHost();
    bool isRunning() const { return !trayPanel(m_display).isEmpty(); }
    // What it said, for when it did not come up.
    QString output() const;
    // Ends it, as when the desktop's panel crashes.
    void stop();

private:
    QString m_display;
    QTemporaryDir m_log;
    QProcess m_trayer;
};

// Requests that windows of an X server send to its root window, as a window
// manager hears them: minimise, change of state, activation.
class RootWindowRequests
{
public:
    explicit RootWindowRequests(const QString &display);
    ~RootWindowRequests();
    // Whether the window asked to be minimised (ICCCM's WM_CHANGE_STATE).
    bool minimiseAskedBy(const QString &window);

private:
    QProcess m_xev;
    QString m_heard;
};

// How many streams the process plays into the sound server that the
// environment names.
int soundStreamsOf(qint64 pid, const QProcessEnvironment &server);
// What `pactl list sink-inputs` says of each of them.
QStringList soundStreamPropertiesOf(qint64 pid, const QProcessEnvironment &server);

// A Wayland compositor of the test's own (weston, headless, drawing in
// memory) with a session bus and an accessibility bus, so that a program
// with no input device to drive can be driven as a screen reader would.
class PrivateCompositor
{
public:
    PrivateCompositor();
    ~PrivateCompositor();
    bool isRunning() const;
    // What ended, in each start that failed.
    QString failures() const { return m_failures; }
    // For a Qt program that is to show its windows there and be reachable
    // through the accessibility bus.
    QProcessEnvironment environment() const;
    // What the compositor shows, as it shows it.
    QImage screenshot() const;
    // Presses the button with that accessible name in the program with that
    // process id, or sets the text of the field with that name; false if
    // there is none to find.
    bool press(qint64 pid, const QString &accessibleName) const;
    bool setText(qint64 pid, const QString &accessibleName, const QString &text) const;
    // Whether the program has, for each role and words given in turn, a
    // control of that role that a screen reader announces with those words
    // (see a11y.py).
    bool reads(qint64 pid, const QStringList &rolesAndWords) const;

private:
    void start();
    void stop();
    QString whatEnded() const;
    bool accessible(qint64 pid, const QStringList &arguments) const;

    QTemporaryDir m_runtime;
    QString m_failures;
    QProcess m_weston;
    QProcess m_bus;
    QProcess m_accessibilityBus;
};

// How many pixels of two pictures of one screen differ.
qsizetype differingPixels(const QImage &a, const QImage &b);

// Makes a helper process end with the test, however the test ends: a test
// killed by its time limit leaves no server behind.
void endsWithTheTest(QProcess &process);
// Ends a helper process on every path: asked first, then made to.
void endProcess(QProcess &process);

// What an end-to-end test runs the real program on, all of its own: an X
// server with a tray host, a session bus, and a sound server with a silent
// sink. Tests running side by side never meet, nor meet the session they
// were started from.
class TestDesktop
{
public:
    TestDesktop();
    // Empty when all of it came up; otherwise what did not.
    QString whatFailed() const;
    // For the programs that are to use it.
    QProcessEnvironment environment() const;

    PrivateDisplay display;
    SessionBus bus;
    TrayHost tray;
    SoundServer sound;
};

// A window manager on an X server, there from its start to its end: IceWM,
// which like GNOME's minimises a window only when its Motif hints allow it,
// here without its task bar and so without a notification area, as GNOME is.
class WindowManager
{
public:
    explicit WindowManager(const QString &display);
    ~WindowManager();
    bool isRunning() const;
    // What it said, for when it did not come up.
    QString output() const;
    // The state it gives the window ("Normal", "Iconic"); empty while it
    // manages none.
    QString stateOf(const QString &window) const;

private:
    QString m_display;
    QTemporaryDir m_home;
    QProcess m_manager;
};
