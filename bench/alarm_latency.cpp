// From the start of the alarm second to the first sound the user hears: the
// real window, clock and player over a PulseAudio server, recorded from the
// monitor of its sink; beside it, the same sound from a process that has not
// brought its multimedia stack up. Run it where a sound server is up
// (bench/run starts a private one with a silent sink).
//
//   alarm_latency [rounds=3]

#include "audiomonitor.h"
#include "fakes.h"

#include "platform/pacedtimer.h"
#include "platform/qtservices.h"
#include "platform/qtsoundoutput.h"

#include <QApplication>
#include <QComboBox>
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

// The program's way: the sound chosen, the alarm set a few seconds ahead,
// the window left alone until it rings.
double alarmRound(const QString &sink, const QString &file)
{
    AudioMonitor monitor(sink);
    FakeServices fakes;
    platform::QtClock clock;
    platform::QtSoundOutput sound;
    frmob window({clock, fakes.messageBox, fakes.openDialog, fakes.launcher, sound, fakes.tray});
    fakes.openDialog.answer = file;
    window.menuabrir_Click(); // plays at once, as it does for the user
    QTest::qWait(300);
    window.menuparar_Click();
    QTest::qWait(700);
    const qint64 second = QDateTime::currentSecsSinceEpoch() + 3;
    window.findChild<QLineEdit *>(QStringLiteral("txthora"))->setText(timeText(second));
    if (!QTest::qWaitFor([&] { return !fakes.messageBox.shown.isEmpty(); }, 6000)) {
        std::fprintf(stderr, "alarm_latency: the alarm did not ring\n");
        return -1;
    }
    QTest::qWait(1500);
    const double heard = monitor.firstSoundAfter(double(second) * 1000 - 100);
    return heard < 0 ? -1 : heard - double(second) * 1000;
}

// The same sound played by a process whose multimedia stack is not up yet,
// as it would be had the alarm not made it ready ahead.
double coldRound(const QString &sink, const QString &file)
{
    AudioMonitor monitor(sink);
    const qint64 second = QDateTime::currentSecsSinceEpoch() + 2;
    QProcess cold;
    cold.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--cold"), file, QString::number(second * 1000 + platform::PacedTimer::phaseMs)});
    // The monitor needs the event loop to time what it hears.
    if (!QTest::qWaitFor([&] { return cold.state() == QProcess::NotRunning; }, 10000))
        return -1;
    const double heard = monitor.firstSoundAfter(double(second) * 1000 - 100);
    return heard < 0 ? -1 : heard - double(second) * 1000;
}

int playCold(const QString &file, qint64 atMs)
{
    while (QDateTime::currentMSecsSinceEpoch() < atMs)
        QTest::qWait(1);
    platform::QtSoundOutput sound;
    sound.play(file);
    QTest::qWait(1500);
    return 0;
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

} // namespace

int main(int argc, char *argv[])
{
    // The windows of this measurement need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    otherMessages = qInstallMessageHandler(quietRaise);
    if (app.arguments().value(1) == QStringLiteral("--cold"))
        return playCold(app.arguments().value(2), app.arguments().value(3).toLongLong());
    const int rounds = std::max(1, app.arguments().value(1, QStringLiteral("3")).toInt());
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
        }
    }
    std::printf("alarm_latency: start of the alarm second to the first audible sample on sink %s, %d rounds\n",
                qPrintable(sink), rounds);
    for (const char *ext : {"wav", "mp3", "wma"}) {
        const QString file = dir.filePath(QStringLiteral("sound.") + QLatin1String(ext));
        QList<double> alarm, cold;
        for (int i = 0; i < rounds; ++i) {
            alarm << alarmRound(sink, file);
            cold << coldRound(sink, file);
        }
        std::printf("%-4s the alarm: %-32s  a cold multimedia stack: %s\n", ext, qPrintable(summary(alarm)),
                    qPrintable(summary(cold)));
        std::fflush(stdout);
    }
    return 0;
}
