// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and idle figures of the clock beside a bare Qt window: time from
// exec to the window mapped on the X server, resident memory once started,
// and the CPU used over idle seconds.
//
//   startup [runs=10] [idle-seconds=60]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

long windowPid(Display *display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return -1;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && data && count == 1)
        pid = long(*reinterpret_cast<unsigned long *>(data));
    if (data)
        XFree(data);
    return pid;
}

struct Run {
    double mappedMs = -1;
    long rssKiB = 0;
    long pssKiB = 0;
    double idleCpuPercent = -1;
};

long statusField(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(field[0] == 'P' ? "smaps_rollup" : "status")));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLong() + fields.value(12).toLong()) / double(sysconf(_SC_CLK_TCK));
}

Run measure(Display *display, const QString &program, int idleSeconds)
{
    Run run;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    while (clock.elapsed() < 20000 && run.mappedMs < 0) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowPid(display, event.xmap.window) == pid)
                run.mappedMs = double(clock.nsecsElapsed()) / 1e6;
        }
        QThread::usleep(200);
    }
    QThread::sleep(2); // settled
    run.rssKiB = statusField(pid, "VmRSS:");
    run.pssKiB = statusField(pid, "Pss:");
    if (idleSeconds > 0) {
        const double before = cpuSeconds(pid);
        QThread::sleep(idleSeconds);
        run.idleCpuPercent = 100.0 * (cpuSeconds(pid) - before) / idleSeconds;
    }
    process.kill();
    process.waitForFinished();
    return run;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, app.arguments().value(1, QStringLiteral("10")).toInt());
    const int idle = app.arguments().value(2, QStringLiteral("60")).toInt();
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup: needs an X server (bench/run starts one)\n");
        return 1;
    }
    const QString dir = QCoreApplication::applicationDirPath();
    const QString clockProgram = dir + QStringLiteral("/../relogio");
    const QString bareProgram = dir + QStringLiteral("/bare_window");

    QList<double> mapped[2], rss[2], pss[2];
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that both meet the same state of the machine.
        for (int which : {0, 1}) {
            const Run r = measure(display, which == 0 ? clockProgram : bareProgram, 0);
            mapped[which] << r.mappedMs;
            rss[which] << double(r.rssKiB);
            pss[which] << double(r.pssKiB);
        }
    }
    std::printf("startup: %d runs each, medians\n", runs);
    std::printf("%-14s exec to mapped %6.1f ms   resident %6.0f KiB   proportional %6.0f KiB\n", "the clock",
                median(mapped[0]), median(rss[0]), median(pss[0]));
    std::printf("%-14s exec to mapped %6.1f ms   resident %6.0f KiB   proportional %6.0f KiB\n", "bare window",
                median(mapped[1]), median(rss[1]), median(pss[1]));
    std::printf("ratios: start-up %.2fx, resident %.2fx, proportional %.2fx\n", median(mapped[0]) / median(mapped[1]),
                median(rss[0]) / median(rss[1]), median(pss[0]) / median(pss[1]));
    if (idle > 0) {
        const Run clockIdle = measure(display, clockProgram, idle);
        const Run bareIdle = measure(display, bareProgram, idle);
        std::printf("idle CPU over %d s: the clock %.3f %%, bare window %.3f %%\n", idle, clockIdle.idleCpuPercent,
                    bareIdle.idleCpuPercent);
    }
    XCloseDisplay(display);
    return 0;
}
