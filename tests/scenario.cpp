// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario.h"

#include "soundengine/tone.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace scenario {

const QString caption = QStringLiteral("Relógio Trivelandor Ovalen Brakmund!");
const QString dialogTitle = QStringLiteral("Relógio Trivelandor Ovalen Brakmund");

QString writeSound(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(content.isNull() ? soundengine::wavFile(soundengine::sineSamples(soundPitch, 4, 22050), 22050) : content);
    return path;
}

void setAlarm(RunningClock &clock, const QString &hours, const QString &minutes, const QString &seconds)
{
    // Type into each list to pick, and Tab on.
    clock.key(QStringLiteral("Tab shift+Tab"));
    clock.type(hours);
    clock.key(QStringLiteral("Tab"));
    clock.type(minutes);
    clock.key(QStringLiteral("Tab"));
    clock.type(seconds);
    clock.key(QStringLiteral("Tab"));
}

QString waitForAlarmBox(RunningClock &clock, int timeoutMs)
{
    QString box;
    (void)waitFor(
        [&] {
            for (const QString &w : clock.windowsNamed(caption)) {
                if (w != clock.window())
                    box = w;
            }
            return !box.isEmpty();
        },
        timeoutMs, 50);
    return box;
}

bool openSound(RunningClock &clock, const QString &path)
{
    clock.key(QStringLiteral("F2"));
    const QString dialog = clock.waitForWindowNamed(dialogTitle);
    if (dialog.isEmpty())
        return false;
    auto closed = [&] { return clock.windowsNamed(dialogTitle).isEmpty(); };
    // The file name field has the focus. Should the dialog not take the
    // name (it says the file is not there), it is given again.
    for (int tries = 0; tries < 3 && !closed(); ++tries) {
        for (const QString &other : clock.windowsNamed(dialogTitle)) {
            if (other != dialog)
                clock.key(QStringLiteral("Return"), other);
        }
        clock.key(QStringLiteral("ctrl+a"), dialog);
        clock.paste(path, dialog);
        // The first Return may only take the name the field offers to complete.
        for (int returns = 0; returns < 2 && !closed(); ++returns) {
            clock.key(QStringLiteral("Return"), dialog);
            (void)waitFor(closed, 1000);
        }
    }
    return closed();
}

QString Stage::setUp()
{
    desktop = std::make_unique<TestDesktop>();
    if (!dir.isValid())
        return QStringLiteral("no folder for the sound files: ") + dir.errorString();
    return desktop->whatFailed();
}

std::unique_ptr<RunningClock> Stage::start(const QProcessEnvironment &extra)
{
    // An hour before the alarms, however long a busy machine takes to set them.
    time.show(QTime(6, 0, 0));
    QProcessEnvironment env = desktop->environment();
    env.insert(time.environment());
    const QString preload = QStringLiteral("LD_PRELOAD");
    for (const QString &name : extra.keys())
        env.insert(name, name == preload ? extra.value(name) + QLatin1Char(':') + env.value(name) : extra.value(name));
    auto clock = std::make_unique<RunningClock>(env);
    if (clock->waitForWindow().isEmpty()) {
        qWarning("the main window did not appear: %s", qPrintable(clock->output().right(2000)));
        return nullptr;
    }
    return clock;
}

QString Stage::boxOnItsSecond(RunningClock &clock, QTime due) const
{
    const double dueMs = time.realTimeOf(due);
    const QString box = waitForAlarmBox(clock, int(std::max(0.0, dueMs - wallMs())) + 3000);
    const double shown = wallMs();
    if (box.isEmpty())
        qWarning("no alarm box; the program said: %s", qPrintable(clock.output().right(2000)));
    else if (shown < dueMs - 300 || shown > dueMs + lateMs)
        qWarning("the box came %.0f ms from its second", shown - dueMs);
    else
        return box;
    return {};
}

QImage picture(const QString &window, const QProcessEnvironment &display)
{
    QProcess import;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(display);
    import.setProcessEnvironment(env);
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    if (!import.waitForFinished(15000))
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

} // namespace scenario
