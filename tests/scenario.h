// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A user's steps through the real program, shared by the end-to-end tests:
// keys and the open dialog, as the user would go.

#include "desktop.h"
#include "faketime.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace scenario {

extern const QString caption;     // the main window's and the alarm box's title
extern const QString dialogTitle; // the open dialog's

// How late the alarm's box or sound may be seen and still count as on its
// second. The test runs beside others on a busy machine, which delays what
// it sees; the faults these tests guard against cost an alarm many seconds
// or the whole of it. How prompt the sound is, the benchmarks measure.
constexpr int lateMs = 2500;

// A sound file in the folder: four seconds of 660 Hz unless told otherwise.
QString writeSound(const QTemporaryDir &dir, const QString &name, const QByteArray &content = {});
constexpr double soundPitch = 660;

// Picks the time in the three lists and leaves the seconds list, which
// sets the alarm. The focus must be on the hours list, as at start.
void setAlarm(RunningClock &clock, const QString &hours, const QString &minutes, const QString &seconds);
// The alarm's box once it is mapped: the second window of that title.
QString waitForAlarmBox(RunningClock &clock, int timeoutMs);
// Chooses a sound through the open dialog (it plays at once); false when
// the dialog did not open or did not take the file.
bool openSound(RunningClock &clock, const QString &path);
// What the window looks like now, as the X server of that environment draws it.
QImage picture(const QString &window, const QProcessEnvironment &display);

// What the end-to-end tests play on: a desktop of their own, a folder for
// their sound files, and the program's clock, at 6:00 until moved.
struct Stage {
    std::unique_ptr<TestDesktop> desktop;
    QTemporaryDir dir;
    FakeTime time{QTime(6, 0, 0)};

    // Starts the desktop; empty when all is ready, else what failed.
    QString setUp();
    // The program started at 6:00 on the stage's desktop, with these
    // variables too (a library to load goes before libfaketime); null,
    // with a warning, when its window did not appear.
    std::unique_ptr<RunningClock> start(const QProcessEnvironment &extra = {});
    // Waits for the box of the alarm due at that time; empty, with a
    // warning that says why, unless it came on its second.
    QString boxOnItsSecond(RunningClock &clock, QTime due) const;
};

} // namespace scenario
