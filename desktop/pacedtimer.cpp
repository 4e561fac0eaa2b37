// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/pacedtimer.h"

#include "desktop/services.h"

#include <limits>

namespace desktop {

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

Pace pace(qint64 nowMs, qint64 lastSecond, int phaseMs)
{
    const qint64 second = floorDiv(nowMs, 1000);
    const int intoSecond = int(nowMs - second * 1000);
    return {second != lastSecond, second, 1000 - intoSecond + phaseMs};
}

PacedTimer::PacedTimer(const Clock &clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_lastSecond(std::numeric_limits<qint64>::min())
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedTimer::fire);
}

void PacedTimer::start()
{
    // The second in which the timer starts has begun already; the first tick
    // is the next second's.
    const Pace now = pace(m_clock.now().toMSecsSinceEpoch(), 0, phaseMs);
    m_lastSecond = now.second;
    m_timer.start(now.sleepMs);
}

void PacedTimer::stop()
{
    m_timer.stop();
}

void PacedTimer::fire()
{
    const Pace now = pace(m_clock.now().toMSecsSinceEpoch(), m_lastSecond, phaseMs);
    // The next tick is scheduled before this one is delivered, so that it
    // comes on time even while a handler of this tick waits for the user.
    m_timer.start(now.sleepMs);
    if (!now.fires)
        return;
    m_lastSecond = now.second;
    Q_EMIT timeout();
}

} // namespace desktop
