// SPDX-License-Identifier: GPL-3.0-or-later
// From the start of the alarm second to the first sound the user hears, and
// from Tocar to the first sound: the real window, clock and sound engine
// (loaded from its module, on its own thread, as the program does), heard
// at the monitor of a silent sink. One run measures PulseAudio and PipeWire
// (with its PulseAudio server and session manager) side by side, each
// server of its own, and prints one table. PipeWire is measured twice: at
// the clock's own pace, as on a desktop where nothing else plays, and held
// by another program at a longer step.
//
//   alarm_latency [rounds=5] [held=2048]
//                                  medians per format, alarm and Tocar; the
//                                  other program holds PipeWire at steps of
//                                  that many samples (1024 its default, 2048
//                                  its longest)
//   alarm_latency --soak [N=200]   N alarms in one process on each server:
//                                  every one must ring and play without a
//                                  break, every tick stay within its second

#include "audiomonitor.h"
#include "desktop.h"
#include "fakes.h"
#include "soundserver.h"

#include "desktop/pacedtimer.h"
#include "desktop/qtservices.h"
#include "soundengine/backgroundsound.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// What the program printed, or nothing when it could not run or failed.
std::optional<QString> run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The screenless platform says so each time the alarm brings the window
// forward; that is expected here and only hides the figures.
QtMessageHandler otherMessages = nullptr;

void quietRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (otherMessages && !message.contains(QLatin1String("does not support raise()")))
        otherMessages(type, context, message);
}

QString timeText(qint64 second)
{
    return QDateTime::fromSecsSinceEpoch(second).time().toString(QStringLiteral("H:mm:ss"));
}

// "median (worst)", and how many rounds heard nothing.
QString summary(QList<double> ms)
{
    const int silent = int(ms.removeIf([](double m) { return std::isnan(m); }));
    if (ms.isEmpty())
        return QStringLiteral("nothing heard");
    std::sort(ms.begin(), ms.end());
    QString text = QStringLiteral("%1 (%2)").arg(qRound(ms.at(ms.size() / 2))).arg(qRound(ms.last()));
    if (silent)
        text += QStringLiteral(", %1 silent").arg(silent);
    return text;
}

// The program as it runs, its sound on the real engine, its boxes and
// dialogs answered at once.
struct Clock {
    FakeServices fakes;
    desktop::QtClock clock;
    soundengine::BackgroundSound sound{soundengine::soundModule({QStringLiteral(SOUND_MODULE)})};
    frmob window{{clock, fakes.messageBox, fakes.openDialog, fakes.launcher, sound, fakes.tray}};
    QList<qint64> tickTimes; // wall-clock milliseconds of every tick

    Clock()
    {
        auto *timer = window.findChild<desktop::PacedTimer *>(QStringLiteral("trmrelogio"));
        QObject::connect(timer, &desktop::PacedTimer::timeout, &window,
                         [this] { tickTimes << QDateTime::currentMSecsSinceEpoch(); });
    }

    void choose(const QString &file)
    {
        fakes.openDialog.answer = file;
        window.menuabrir_Click(); // plays at once, as it does for the user
        QTest::qWait(300);
        window.menuparar_Click();
    }

    // Sets the alarm a few seconds ahead and waits for it; the second it
    // rang in, or -1 if it did not ring within a second of it.
    qint64 alarm()
    {
        const qint64 second = QDateTime::currentSecsSinceEpoch() + 3;
        const auto rung = fakes.messageBox.shown.size();
        window.findChild<QLineEdit *>(QStringLiteral("txthora"))->setText(timeText(second));
        if (!QTest::qWaitFor([&] { return fakes.messageBox.shown.size() > rung; },
                             int(second * 1000 - QDateTime::currentMSecsSinceEpoch()) + 1000))
            return -1;
        return second;
    }
};

// The figures of one server, a line each: format, what was timed, then the
// milliseconds of every round, "-" for a round that heard nothing (a sound
// timed a millisecond before its second, within what the monitor can tell,
// is no silence).
void latencies(Clock &c, AudioMonitor &monitor, const QString &dir, int rounds)
{
    for (const char *ext : {"wav", "mp3", "wma"}) {
        const QString file = dir + QStringLiteral("/sound.") + QLatin1String(ext);
        c.choose(file);
        QList<double> alarm, play;
        for (int i = 0; i < rounds; ++i) {
            const qint64 second = c.alarm();
            QTest::qWait(1500);
            c.window.menuparar_Click();
            const double heard = second < 0 ? -1 : monitor.firstSoundAfter(double(second) * 1000 - 100);
            alarm << (heard < 0 ? qQNaN() : heard - double(second) * 1000);
        }
        for (int i = 0; i < rounds; ++i) {
            QTest::qWait(700);
            const double asked = wallMs();
            c.window.menutocar_Click();
            QTest::qWait(1000);
            c.window.menuparar_Click();
            const double heard = monitor.firstSoundAfter(asked - 20);
            play << (heard < 0 ? qQNaN() : heard - asked);
        }
        for (const auto &[what, ms] : {std::pair{"alarm", alarm}, std::pair{"Tocar", play}}) {
            std::printf("%s %s", ext, what);
            for (double m : ms) {
                if (std::isnan(m))
                    std::printf(" -");
                else
                    std::printf(" %.1f", m);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }
}

int soak(Clock &c, AudioMonitor &monitor, const QString &dir, int rounds)
{
    const QStringList files{dir + QStringLiteral("/sound.wav"), dir + QStringLiteral("/sound.mp3"),
                            dir + QStringLiteral("/sound.wma")};
    c.choose(files.first());
    c.tickTimes.clear();
    int missed = 0, silent = 0, broken = 0, skipped = 0;
    for (int i = 0; i < rounds; ++i) {
        if (i % 10 == 0)
            c.choose(files.at((i / 10) % files.size()));
        const qint64 second = c.alarm();
        QTest::qWait(600);
        c.window.menuparar_Click();
        if (second < 0) {
            ++missed;
            continue;
        }
        // The sine plays on until stopped: a stretch of silence in it is
        // the output running dry.
        const double heard = monitor.firstSoundAfter(double(second) * 1000 - 100);
        if (heard < 0)
            ++silent;
        else if (const auto gap = monitor.silenceIn(heard + 20, heard + 450); gap.ms > 2) {
            // The hum going silent with it: the server played nothing of
            // any stream then, and no program's output could have helped.
            ++(gap.humHeard ? broken : skipped);
            std::fprintf(stderr, "alarm_latency: alarm %d at %s cut out for %.1f ms, %.0f ms into its sound, %s\n",
                         i + 1, qPrintable(timeText(second)), gap.ms, gap.at - heard,
                         gap.humHeard ? "the hum went on" : "the hum with it");
        }
    }
    int tickless = 0, worst = 0;
    for (int i = 0; i < c.tickTimes.size(); ++i) {
        worst = std::max(worst, int(c.tickTimes[i] % 1000));
        if (i > 0)
            tickless += int(c.tickTimes[i] / 1000 - c.tickTimes[i - 1] / 1000 - 1);
    }
    std::printf("%d alarms, %d did not ring on their second, %d silent, %d cut out alone, %d in a step the server "
                "skipped for every stream; %lld ticks, %d seconds without one, every tick within %d ms of its second\n",
                rounds, missed, silent, broken, skipped, static_cast<long long>(c.tickTimes.size()), tickless, worst);
    return missed + silent + broken + tickless == 0 ? 0 : 1;
}

// The server's name and version as it gives them.
QString serverName(const QProcessEnvironment &server)
{
    const QString info = runCommand(QStringLiteral("pactl"), {QStringLiteral("info")}, 10000, server);
    const QRegularExpression pipewire(QStringLiteral("on (PipeWire [0-9.]+)"));
    const QRegularExpression version(QStringLiteral("Server Version: ([0-9.]+)"));
    if (const auto m = pipewire.match(info); m.hasMatch())
        return m.captured(1);
    return QStringLiteral("PulseAudio ") + version.match(info).captured(1);
}

// Runs this program again on each kind of server, started for it, and
// prints their figures side by side.
int sideBySide(const QStringList &args)
{
    const bool soaking = args.value(0) == QStringLiteral("--soak");
    QList<QString> names;
    QList<QString> outputs;
    int status = 0;
    for (const auto &[kind, held] : {std::pair{SoundServer::PulseAudio, false}, std::pair{SoundServer::PipeWire, false},
                                     std::pair{SoundServer::PipeWire, true}}) {
        if (held && soaking)
            continue;
        SoundServer server(kind);
        if (!server.isRunning()) {
            std::fprintf(stderr, "alarm_latency: the %s server did not start\n", qPrintable(SoundServer::name(kind)));
            return 1;
        }
        const QString heldStep = args.value(1, QStringLiteral("2048"));
        names << serverName(server.environment()) + (held ? QStringLiteral(", held ") + heldStep : QString());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(server.environment());
        env.insert(QStringLiteral("RELOGIO_BENCH_SERVER"), SoundServer::name(kind));
        if (held)
            env.insert(QStringLiteral("RELOGIO_BENCH_HELD"), heldStep);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), args);
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
            std::fprintf(stderr, "alarm_latency: the run on %s ended abnormally\n", qPrintable(names.last()));
            return 1;
        }
        status |= child.exitCode();
        outputs << QString::fromUtf8(child.readAllStandardOutput());
    }
    if (soaking) {
        for (int i = 0; i < names.size(); ++i)
            std::printf("soak on %-16s %s", qPrintable(names[i]), qPrintable(outputs[i]));
        return status;
    }
    std::printf("alarm_latency: to the first audible sample at the sink's monitor, %s rounds; the alarm from the "
                "start of its second, Tocar from the command; median (worst) in ms; \"held N\": another program "
                "keeps PipeWire at steps of N samples while the clock is silent\n",
                qPrintable(args.value(0, QStringLiteral("5"))));
    std::printf("%-16s", "");
    for (const QString &name : names)
        std::printf("  %-26s", qPrintable(name));
    std::printf("\n");
    const QStringList rows = outputs.value(0).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &row : rows) {
        const QString key = row.section(QLatin1Char(' '), 0, 1);
        std::printf("%-16s", qPrintable(key.toUpper().replace(QStringLiteral("TOCAR"), QStringLiteral("Tocar"))
                                            .replace(QStringLiteral("ALARM"), QStringLiteral("the alarm"))));
        for (const QString &output : outputs) {
            QList<double> ms;
            for (const QString &line : output.split(QLatin1Char('\n'))) {
                if (line.section(QLatin1Char(' '), 0, 1) == key) {
                    for (const QString &m : line.section(QLatin1Char(' '), 2).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                        bool heard = false;
                        const double v = m.toDouble(&heard);
                        ms << (heard ? v : qQNaN());
                    }
                }
            }
            std::printf("  %-26s", qPrintable(summary(ms)));
        }
        std::printf("\n");
    }
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // The windows of this measurement need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    otherMessages = qInstallMessageHandler(quietRaise);
    const QStringList args = app.arguments().mid(1);
    const QString server = qEnvironmentVariable("RELOGIO_BENCH_SERVER");
    if (server.isEmpty())
        return sideBySide(args);
    const bool soaking = args.value(0) == QStringLiteral("--soak");
    const int rounds = std::max(1, args.value(soaking ? 1 : 0, soaking ? QStringLiteral("200") : QStringLiteral("5")).toInt());

    QTemporaryDir dir;
    for (const char *ext : {"wav", "mp3", "wma"}) {
        if (!run(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                            QStringLiteral("sine=frequency=1000:duration=3"),
                                            dir.filePath(QStringLiteral("sound.") + QLatin1String(ext))})) {
            std::fprintf(stderr, "alarm_latency: ffmpeg could not make the %s sample\n", ext);
            return 1;
        }
    }
    // PulseAudio's null sink plays ahead by the latency its streams ask
    // for, so its monitor is timed by a short one. PipeWire runs every
    // stream at the shortest latency any of them asks for, and goes on at
    // that pace while the clock's output waits corked: there the monitor
    // asks for what the clock's output asks for, so the pace is the clock's
    // own, as on a desktop where nothing else plays (whose server starts the
    // sink at the pace of the one stream that wakes it). "Held", it asks
    // for twice the step, which PipeWire rounds down to it (up to its
    // longest, 2048): that is then the pace until the clock's output plays.
    const bool pipeWire = server == SoundServer::name(SoundServer::PipeWire);
    const int held = qEnvironmentVariableIntValue("RELOGIO_BENCH_HELD");
    // Beside the clock's sound it hums, too faint to count as heard: a
    // silence in both is a step the server skipped.
    AudioMonitor monitor(SoundServer::sink(), {}, !pipeWire ? 5 : held > 0 ? held * 2000 / AudioMonitor::rate : 20, true);
    Clock c;
    QTest::qWait(2500); // the monitor hears nothing for its first two seconds
    if (soaking)
        return soak(c, monitor, dir.path(), rounds);
    latencies(c, monitor, dir.path(), rounds);
    return 0;
}
