// SPDX-License-Identifier: GPL-3.0-or-later
// How well the clock keeps its seconds: the real paced timer over the wall
// clock for a number of seconds, optionally with every core kept busy, and
// beside it a plain 1000 ms timer for comparison.
//
//   tick_precision [seconds=60] [--load]

#include "desktop/pacedtimer.h"
#include "desktop/qtservices.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

struct Record {
    QList<qint64> seconds;
    QList<int> phases;

    void add(qint64 nowMs)
    {
        seconds << nowMs / 1000;
        phases << int(nowMs % 1000);
    }
    void print(const char *name, qint64 firstSecond, qint64 lastSecond) const
    {
        int skipped = 0, repeated = 0;
        QSet<qint64> seen;
        for (qint64 s : seconds) {
            if (seen.contains(s))
                ++repeated;
            seen.insert(s);
        }
        for (qint64 s = firstSecond; s <= lastSecond; ++s)
            skipped += !seen.contains(s);
        QList<int> sorted = phases;
        std::sort(sorted.begin(), sorted.end());
        const int median = sorted.isEmpty() ? 0 : sorted.at(sorted.size() / 2);
        const int worst = sorted.isEmpty() ? 0 : sorted.last();
        std::printf("%-22s ticks %4lld  skipped %3d  repeated %3d  phase median %4d ms  worst %4d ms\n", name,
                    static_cast<long long>(seconds.size()), skipped, repeated, median, worst);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 60;
    bool load = false;
    for (const QString &a : app.arguments().mid(1)) {
        if (a == QStringLiteral("--load"))
            load = true;
        else
            seconds = std::max(3, a.toInt());
    }

    std::atomic<bool> stop{false};
    std::vector<std::thread> burners;
    if (load) {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            burners.emplace_back([&stop] {
                volatile unsigned long x = 0;
                while (!stop.load(std::memory_order_relaxed))
                    x = x + 1;
            });
    }

    desktop::QtClock clock;
    Record paced, plain;
    desktop::PacedTimer pacer(clock, nullptr);
    QObject::connect(&pacer, &desktop::PacedTimer::timeout, &app,
                     [&] { paced.add(clock.now().toMSecsSinceEpoch()); });
    QTimer coarse;
    coarse.setInterval(1000);
    QObject::connect(&coarse, &QTimer::timeout, &app, [&] { plain.add(clock.now().toMSecsSinceEpoch()); });

    const qint64 start = clock.now().toMSecsSinceEpoch();
    pacer.start();
    coarse.start();
    QTimer::singleShot(seconds * 1000 + 500, &app, &QCoreApplication::quit);
    app.exec();
    stop = true;
    for (auto &t : burners)
        t.join();

    std::printf("tick_precision: %d s%s\n", seconds, load ? ", every core busy" : "");
    const qint64 first = start / 1000 + 1;
    const qint64 last = first + seconds - 1;
    paced.print("paced (the clock)", first, last);
    plain.print("plain 1000 ms QTimer", paced.seconds.value(0, first), plain.seconds.value(plain.seconds.size() - 1, last));
    return 0;
}
