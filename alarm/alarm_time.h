// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

// The clock's time as the time label shows it and the alarm text holds it:
// always 24 hours, the hour without a leading zero. The hours list offers
// "7", not "07", so 7:05:30 is what the alarm text holds and must be what
// the clock shows at that second.
QString timeOfDayText(const QDateTime &when);

// Where the hours and the minutes lists stand (their selected positions)
// after the alarm rang: a minute on, or, at minute 59, an hour on with the
// minutes left at 59. At the last hour there is no later one, and the lists
// stay as they are.
struct AlarmLists {
    int hour;
    int minute;
    bool operator==(const AlarmLists &) const = default;
};
AlarmLists advanceAlarmLists(AlarmLists at, int hourCount);
