// SPDX-License-Identifier: GPL-3.0-or-later
#include "faketime.h"

#include "audiomonitor.h"

#include <QFile>

#include <cmath>

FakeTime::FakeTime(QTime shown)
{
    if (!m_file.open())
        qFatal("cannot write the fake time's file");
    show(shown);
}

QProcessEnvironment FakeTime::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAKETIME_LIBRARY));
    env.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), m_file.fileName());
    env.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
    env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    env.insert(QStringLiteral("NO_FAKE_STAT"), QStringLiteral("1"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    return env;
}

void FakeTime::show(QTime shown)
{
    const double now = wallMs();
    const double intoDay = std::fmod(now, 86'400'000.0);
    m_offsetMs = double(shown.msecsSinceStartOfDay()) - intoDay;
    QFile f(m_file.fileName());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the fake time's file");
    // libfaketime takes seconds, with a point for their fraction.
    f.write((m_offsetMs < 0 ? QByteArray("-") : QByteArray("+")) + QByteArray::number(std::abs(m_offsetMs) / 1000.0, 'f', 3)
            + '\n');
}

double FakeTime::realTimeOf(QTime shown) const
{
    const double day = std::floor((wallMs() + m_offsetMs) / 86'400'000.0) * 86'400'000.0;
    return day + double(shown.msecsSinceStartOfDay()) - m_offsetMs;
}
