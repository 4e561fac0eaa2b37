// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

namespace desktop {

class Clock;

// What the timer does when it wakes at a moment of the wall clock, having
// last fired in a given second: whether it fires now (the first wake in a
// new second does; an early one, still in the second that had its tick,
// does not), and how long it then sleeps.
struct Pace {
    bool fires;
    qint64 second;
    int sleepMs;
};
Pace pace(qint64 nowMs, qint64 lastSecond, int phaseMs);

// A timer that fires once in every second of the wall clock, just after the
// second begins. A plain 1000 ms timer drifts, and now and then one of its
// ticks slides across a second boundary: that second gets no tick at all.
// This one is re-aligned on the clock at every tick, so load, a change of
// the system time or a resume from suspend never makes it skip or repeat a
// second. A second that truly passed without a tick (the machine was
// asleep) is not made up for.
class PacedTimer : public QObject
{
    Q_OBJECT
public:
    // How far into each second the tick is aimed: a millisecond, as close to
    // the turn of the second as a timer is set, so that the alarm's sound
    // starts right after it. A timer that wakes a little early, still in
    // the second that had its tick, sleeps again to just past the turn.
    static constexpr int phaseMs = 1;

    PacedTimer(const Clock &clock, QObject *parent);

    void start();
    void stop();

Q_SIGNALS:
    void timeout();

private:
    void fire();

    const Clock &m_clock;
    QTimer m_timer;
    qint64 m_lastSecond;
};

} // namespace desktop
