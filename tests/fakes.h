// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Fakes of the program's services: they record what the program asked for
// and answer as the test tells them.

#include "app/frmob.h"
#include "desktop/services.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>
#include <memory>

class FakeClock : public desktop::Clock
{
public:
    QDateTime time{QDate(2026, 12, 8), QTime(7, 5, 29)};
    QDateTime now() const override { return time; }
    void set(int h, int m, int s, int ms = 20) { time.setTime(QTime(h, m, s, ms)); }
};

class FakeMessageBox : public desktop::MessageBox
{
public:
    struct Shown {
        QWidget *parent;
        QString title;
        QString text;
    };
    QList<Shown> shown;
    // Runs while the "box" is open, as a modal box would let the program run.
    std::function<void()> whileOpen;

    void exclamation(QWidget *parent, const QString &title, const QString &text) override;
};

class FakeOpenDialog : public desktop::OpenDialog
{
public:
    QString answer; // empty: the user cancels
    int opened = 0;
    desktop::OpenDialogSettings settings;

    QString chooseFile(QWidget *, const desktop::OpenDialogSettings &s) override;
};

class FakeLauncher : public desktop::ProgramLauncher
{
public:
    QSet<QString> installed;   // names findProgram finds
    QSet<QString> refusing;    // installed, but fail to start
    mutable QStringList lookedUp;
    QList<QStringList> started; // program followed by its arguments

    QString findProgram(const QString &name) const override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
};

class FakeSound : public desktop::SoundOutput
{
    Q_OBJECT
public:
    QStringList calls; // "play <path>", "stop", "prepare <path>"
    int level = 100;
    std::function<void()> whenPlayed;

    void play(const QString &path) override
    {
        calls << QStringLiteral("play ") + path;
        if (whenPlayed)
            whenPlayed();
    }
    void stop() override { calls << QStringLiteral("stop"); }
    void prepare(const QString &path) override { calls << QStringLiteral("prepare ") + path; }
    int volume() const override { return level; }
    void setVolume(int v) override
    {
        if (v == level)
            return;
        level = v;
        Q_EMIT volumeChanged(v);
    }
    QStringList plays() const { return calls.filter(QRegularExpression(QStringLiteral("^play "))); }
};

class FakeTray : public desktop::Tray
{
public:
    QStringList calls;
    QString tip;
    QIcon picture;
    QObject *application = nullptr;
    QWidget *window = nullptr;

    void setTipText(const QString &t) override { calls << QStringLiteral("tip"); tip = t; }
    void setTrayPicture(const QIcon &p) override { calls << QStringLiteral("picture"); picture = p; }
    void setOwnerApp(QObject *a) override { calls << QStringLiteral("app"); application = a; }
    void setOwnerWindow(QWidget *w) override { calls << QStringLiteral("window"); window = w; }
    void showInTray() override { calls << QStringLiteral("show"); }
};

struct FakeServices {
    FakeClock clock;
    FakeMessageBox messageBox;
    FakeOpenDialog openDialog;
    FakeLauncher launcher;
    FakeSound sound;
    FakeTray tray;

    desktop::Services services() { return {clock, messageBox, openDialog, launcher, sound, tray}; }
};

// The real main window over fakes, its clock stopped so that only the test
// makes it tick.
class TestWindow
{
public:
    TestWindow();
    ~TestWindow();

    FakeServices fakes;
    std::unique_ptr<frmob> window;

    template<class T>
    T *find(const QString &name) const
    {
        T *child = window->findChild<T *>(name);
        if (!child)
            qFatal("no control named %s", qPrintable(name));
        return child;
    }
    // Runs one tick at the given time of the fake clock.
    void tickAt(int h, int m, int s);
    // What a value label of the sound information window shows.
    QString soundFact(const char *label) const;
    QString statusText() const;
};
