#pragma once

#include <QObject>
#include <QTimer>

namespace platform {

class Clock;

// A timer that fires once in every second of the wall clock, just after the
// second begins. A plain 1000 ms timer drifts, and
// now and then one of its ticks slides across a second boundary: that second
// gets no tick at all. This one is re-aligned on the clock at every tick, so
// load, a change of the system time or a resume from suspend never makes it
// skip or repeat a second. A second that truly passed without a tick (the
// machine was asleep) is not made up for.
class PacedTimer : public QObject
{
    Q_OBJECT
public:
    // How far into each second the tick comes: late enough that a timer
    // firing a little early still lands in its second (and if it does not,
    // the tick waits for it), early enough that the alarm's sound starts a
    // few milliseconds into the second it belongs to.
    static constexpr int phaseMs = 10;

    PacedTimer(const Clock &clock, QObject *parent);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    // Milliseconds until the next tick is due.
    int remainingTime() const { return m_timer.remainingTime(); }

Q_SIGNALS:
    void timeout();

private:
    void fire();
    void scheduleNext(qint64 nowMs);

    const Clock &m_clock;
    QTimer m_timer;
    qint64 m_lastSecond;
};

} // namespace platform
