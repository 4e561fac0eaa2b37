#include "platform/pacedtimer.h"

#include "platform/services.h"

#include <limits>

namespace platform {

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

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
    const qint64 now = m_clock.now().toMSecsSinceEpoch();
    m_lastSecond = floorDiv(now, 1000);
    scheduleNext(now);
}

void PacedTimer::stop()
{
    m_timer.stop();
}

void PacedTimer::scheduleNext(qint64 nowMs)
{
    const qint64 intoSecond = nowMs - floorDiv(nowMs, 1000) * 1000;
    m_timer.start(int(1000 - intoSecond + phaseMs));
}

void PacedTimer::fire()
{
    const qint64 now = m_clock.now().toMSecsSinceEpoch();
    const qint64 second = floorDiv(now, 1000);
    // The next tick is scheduled before this one is delivered, so that it
    // comes on time even while a handler of this tick waits for the user.
    scheduleNext(now);
    if (second == m_lastSecond)
        return; // early: this second has had its tick
    m_lastSecond = second;
    Q_EMIT timeout();
}

} // namespace platform
