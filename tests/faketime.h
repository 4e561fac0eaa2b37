// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The time of day as the real program sees it, set by the test and moved
// on at will: libfaketime reads its offset from a file the test rewrites.
// Only the wall clock is set; timers run on the real one.

#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <QTime>

class FakeTime
{
public:
    // The program's clock shows this time of day (UTC) when it starts.
    explicit FakeTime(QTime shown);

    // To start the program with.
    QProcessEnvironment environment() const;
    // From now on the program's clock shows this time of day.
    void show(QTime shown);
    // The real wall-clock milliseconds at which the clock shows that time.
    double realTimeOf(QTime shown) const;

private:
    QTemporaryFile m_file;
    double m_offsetMs = 0;
};
