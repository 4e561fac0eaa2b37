// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace desktop {

// The seams between the program and the world outside it. The program sees
// only these interfaces; main() hands it the Qt implementations and the
// tests hand it fakes that record what was asked and answer as told.

class Clock
{
public:
    virtual ~Clock() = default;
    // The local date and time now.
    virtual QDateTime now() const = 0;
};

class MessageBox
{
public:
    virtual ~MessageBox() = default;
    // A modal box with the exclamation icon and one OK button; returns once
    // the user has closed it.
    virtual void exclamation(QWidget *parent, const QString &title, const QString &text) = 0;
};

struct OpenDialogSettings {
    QString title;
    QString filterText;       // what the dialog shows as its one filter
    QStringList suffixes;     // the name endings it lists, whatever their letter case
    QString initialFolder;
};

class OpenDialog
{
public:
    virtual ~OpenDialog() = default;
    // The chosen file's full path, or an empty text when the user cancels.
    virtual QString chooseFile(QWidget *parent, const OpenDialogSettings &settings) = 0;
};

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // The full path of an executable program found by name on the search
    // path (or of the absolute path given), or empty if there is none.
    virtual QString findProgram(const QString &name) const = 0;
    // Starts a program without waiting for it; false if it could not start.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};

// Plays one sound file at a time. The file is decoded and played elsewhere,
// so every call returns at once and never waits on the sound server or the
// disk; what happens is told back through the signals.
class SoundOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Plays the file from its start, replacing whatever plays; a file that
    // cannot be played gives a short built-in alarm tone instead.
    virtual void play(const QString &path) = 0;
    virtual void stop() = 0;
    // Gets ready for a file that is likely to be played soon (the sound of
    // an alarm that is set), so that playing it starts at once. Never
    // interrupts a sound that plays; a sound made ready and not played is
    // let go after a few seconds.
    virtual void prepare(const QString &path) = 0;

    // 0 to 100.
    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;

Q_SIGNALS:
    // The first samples of a sound went to the speakers: the file asked
    // for, or the tone in its place.
    void soundStarted(bool tone);
    // Milliseconds into the current sound, and its length.
    void positionChanged(qint64 position);
    void durationChanged(qint64 duration);
    void volumeChanged(int volume);
};

// The notification-area icon that stands in for a window while it is off
// the screen. Activating the icon brings the window back.
class Tray
{
public:
    virtual ~Tray() = default;
    virtual void setTipText(const QString &text) = 0;
    virtual void setTrayPicture(const QIcon &picture) = 0;
    virtual void setOwnerApp(QObject *application) = 0;
    virtual void setOwnerWindow(QWidget *window) = 0;
    virtual void showInTray() = 0;
};

struct Services {
    Clock &clock;
    MessageBox &messageBox;
    OpenDialog &openDialog;
    ProgramLauncher &launcher;
    SoundOutput &sound;
    Tray &tray;
};

} // namespace desktop
