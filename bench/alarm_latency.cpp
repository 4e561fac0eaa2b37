// SPDX-License-Identifier: GPL-3.0-or-later
// From the start of the alarm second to the first sound the user hears, and
// from Tocar to the first sound: the real window, clock and sound engine
// (loaded from its module, on its own thread, as the program does) over a
// PulseAudio server, recorded from the monitor of its sink. Run it where a
// sound server is up (bench/run starts a private one with a silent sink).
//
//   alarm_latency [rounds=5]       medians per format, alarm and Tocar
//   alarm_latency --soak [N=200]   N alarms in one process: every one must
//                                  ring, every tick stay within its second

#include "audiomonitor.h"
#include "fakes.h"

#include "platform/backgroundsound.h"
#include "platform/pacedtimer.h"
#include "platform/qtservices.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
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

QString summary(QList<double> ms)
{
    const int silent = int(ms.removeAll(-1));
    if (ms.isEmpty())
        return QStringLiteral("no sound heard");
    std::sort(ms.begin(), ms.end());
    QString text = QStringLiteral("median %1 ms, worst %2 ms").arg(ms.at(ms.size() / 2), 0, 'f', 0).arg(ms.last(), 0, 'f', 0);
    if (silent)
        text += QStringLiteral(" (%1 rounds heard nothing)").arg(silent);
    return text;
}

// The program as it runs, its sound on the real engine, its boxes and
// dialogs answered at once.
struct Clock {
    FakeServices fakes;
    platform::QtClock clock;
    platform::BackgroundSound sound{platform::soundModule({QStringLiteral(SOUND_MODULE)})};
    frmob window{{clock, fakes.messageBox, fakes.openDialog, fakes.launcher, sound, fakes.tray}};
    QList<qint64> tickTimes; // wall-clock milliseconds of every tick

    Clock()
    {
        auto *timer = window.findChild<platform::PacedTimer *>(QStringLiteral("trmrelogio"));
        QObject::connect(timer, &platform::PacedTimer::timeout, &window,
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
            alarm << (heard < 0 ? -1 : heard - double(second) * 1000);
        }
        for (int i = 0; i < rounds; ++i) {
            QTest::qWait(700);
            const double asked = wallMs();
            c.window.menutocar_Click();
            QTest::qWait(1000);
            c.window.menuparar_Click();
            const double heard = monitor.firstSoundAfter(asked - 20);
            play << (heard < 0 ? -1 : heard - asked);
        }
        std::printf("%-4s the alarm: %-32s  Tocar: %s\n", ext, qPrintable(summary(alarm)), qPrintable(summary(play)));
        std::fflush(stdout);
    }
}

int soak(Clock &c, const QString &dir, int rounds)
{
    const QStringList files{dir + QStringLiteral("/sound.wav"), dir + QStringLiteral("/sound.mp3"),
                            dir + QStringLiteral("/sound.wma")};
    c.choose(files.first());
    c.tickTimes.clear();
    int missed = 0;
    for (int i = 0; i < rounds; ++i) {
        if (i % 10 == 0)
            c.choose(files.at((i / 10) % files.size()));
        if (c.alarm() < 0)
            ++missed;
        QTest::qWait(600);
        c.window.menuparar_Click();
    }
    int skipped = 0, worst = 0;
    for (int i = 0; i < c.tickTimes.size(); ++i) {
        worst = std::max(worst, int(c.tickTimes[i] % 1000));
        if (i > 0)
            skipped += int(c.tickTimes[i] / 1000 - c.tickTimes[i - 1] / 1000 - 1);
    }
    std::printf("soak: %d alarms, %d did not ring on their second; %lld ticks, %d seconds without one, "
                "every tick within %d ms of its second\n",
                rounds, missed, static_cast<long long>(c.tickTimes.size()), skipped, worst);
    return missed == 0 && skipped == 0 ? 0 : 1;
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
    const bool soaking = args.value(0) == QStringLiteral("--soak");
    const int rounds = std::max(1, args.value(soaking ? 1 : 0, soaking ? QStringLiteral("200") : QStringLiteral("5")).toInt());
    if (!run(QStringLiteral("pactl"), {QStringLiteral("info")})) {
        std::fprintf(stderr, "alarm_latency: no PulseAudio server answers (bench/run starts one)\n");
        return 1;
    }
    QString sink = qEnvironmentVariable("RELOGIO_TEST_SINK");
    if (sink.isEmpty())
        sink = run(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")}).value_or(QString());

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
    Clock c;
    if (soaking)
        return soak(c, dir.path(), rounds);

    AudioMonitor monitor(sink, {}, 5);
    QTest::qWait(2500); // it hears nothing for its first two seconds
    std::printf("alarm_latency: to the first audible sample on sink %s, %d rounds; the alarm from the start of "
                "its second, Tocar from the command\n",
                qPrintable(sink), rounds);
    latencies(c, monitor, dir.path(), rounds);
    return 0;
}
