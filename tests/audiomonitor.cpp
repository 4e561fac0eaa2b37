// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiomonitor.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdlib>

double wallMs()
{
    static QElapsedTimer clock;
    static qint64 origin = 0;
    if (!clock.isValid()) {
        clock.start();
        origin = QDateTime::currentMSecsSinceEpoch();
    }
    return double(origin) + double(clock.nsecsElapsed()) / 1e6;
}

AudioMonitor::AudioMonitor(const QString &sink, const QProcessEnvironment &server, int chunkMs, bool hum)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(server);
    m_silence.setProcessEnvironment(env);
    m_parec.setProcessEnvironment(env);
    // A stream of silence keeps the sink running, so its monitor delivers
    // steadily from the start to the end. It asks for a latency well above
    // the recorder's, so that it never sets the server's pace (PipeWire
    // runs all its streams at the shortest latency any of them asks for).
    QStringList format{QStringLiteral("--raw")};
    if (hum) {
        // 500 Hz at a third of the level counted as heard: its peaks come
        // every millisecond, in any stretch worth calling a silence.
        format << QStringLiteral("--format=s16le") << QStringLiteral("--channels=1")
               << QStringLiteral("--rate=%1").arg(rate);
        m_hum.setStandardOutputProcess(&m_silence);
        m_hum.start(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("raw"),
                                            QStringLiteral("-r"), QString::number(rate), QStringLiteral("-e"),
                                            QStringLiteral("signed"), QStringLiteral("-b"), QStringLiteral("16"),
                                            QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-"),
                                            QStringLiteral("synth"), QStringLiteral("86400"), QStringLiteral("sine"),
                                            QStringLiteral("500"), QStringLiteral("vol"), QStringLiteral("0.01")});
    } else {
        m_silence.setStandardInputFile(QStringLiteral("/dev/zero"));
    }
    m_silence.start(QStringLiteral("pacat"), QStringList{QStringLiteral("-d"), sink} + format
                                                 + QStringList{QStringLiteral("--latency-msec=%1").arg(10 * chunkMs)});
    QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec, [this] {
        m_data += m_parec.readAllStandardOutput();
        m_chunks.append({wallMs(), m_data.size() / 2});
    });
    m_parec.start(QStringLiteral("parec"),
                  {QStringLiteral("-d"), sink + QStringLiteral(".monitor"), QStringLiteral("--raw"),
                   QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                   QStringLiteral("--rate=%1").arg(rate), QStringLiteral("--latency-msec=%1").arg(chunkMs)});
}

AudioMonitor::~AudioMonitor()
{
    for (QProcess *p : {&m_parec, &m_silence, &m_hum}) {
        p->kill();
        p->waitForFinished();
    }
}

double AudioMonitor::timeOf(qsizetype sample) const
{
    auto first = std::lower_bound(m_chunks.begin(), m_chunks.end(), sample,
                                  [](const Chunk &c, qsizetype i) { return c.samples < i; });
    if (first == m_chunks.end())
        return 1e18;
    double offset = 1e18;
    for (auto c = first; c != m_chunks.end() && c->arrival < first->arrival + 1000; ++c)
        offset = std::min(offset, c->arrival - double(c->samples) * 1000.0 / rate);
    return offset + double(sample) * 1000.0 / rate;
}

double AudioMonitor::firstSoundAfter(double whenMs) const
{
    const auto *s = reinterpret_cast<const qint16 *>(m_data.constData());
    const qsizetype n = m_data.size() / 2;
    for (qsizetype i = 0; i < n; ++i) {
        if (std::abs(int(s[i])) <= audible)
            continue;
        const double t = timeOf(i);
        if (t >= whenMs)
            return t;
        // Skip the rest of a sound that began before the time asked for.
        while (i + 1 < n && timeOf(i + 1) < whenMs)
            i += std::min<qsizetype>(rate / 100, n - 1 - i);
    }
    return -1;
}

qsizetype AudioMonitor::sampleAt(double whenMs) const
{
    qsizetype lo = 0, hi = m_data.size() / 2;
    while (lo < hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (timeOf(mid) < whenMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

double AudioMonitor::pitchAt(double whenMs) const
{
    const auto *s = reinterpret_cast<const qint16 *>(m_data.constData());
    const qsizetype n = m_data.size() / 2;
    const qsizetype from = sampleAt(whenMs);
    const qsizetype to = from + rate / 10;
    if (to > n)
        return 0; // not heard yet
    // Counted over the time it was heard: where the server skipped a step on
    // a busy machine, the hole is no slower pitch.
    constexpr qsizetype hole = rate / 500; // 2 ms, three half waves of 660 Hz
    int crossings = 0;
    qsizetype silent = 0, run = 0;
    for (qsizetype i = from + 1; i < to; ++i) {
        crossings += (s[i - 1] < 0) != (s[i] < 0);
        run = std::abs(int(s[i])) <= audible ? run + 1 : 0;
        silent += run == hole ? hole : run > hole ? 1 : 0;
    }
    const qsizetype heard = to - from - silent;
    return heard > 0 ? crossings / 2.0 / (double(heard) / rate) : 0;
}

AudioMonitor::Silence AudioMonitor::silenceIn(double fromMs, double toMs) const
{
    const auto *s = reinterpret_cast<const qint16 *>(m_data.constData());
    const qsizetype to = std::min(sampleAt(toMs), m_data.size() / 2);
    qsizetype longest = 0, run = 0, start = -1;
    for (qsizetype i = sampleAt(fromMs); i < to; ++i) {
        run = std::abs(int(s[i])) <= audible ? run + 1 : 0;
        if (run > longest) {
            longest = run;
            start = i + 1 - run;
        }
    }
    if (start < 0)
        return {};
    const int loudest = std::abs(int(*std::max_element(s + start, s + start + longest, [](qint16 a, qint16 b) {
        return std::abs(int(a)) < std::abs(int(b));
    })));
    return {double(longest) * 1000.0 / rate, timeOf(start), loudest > audible / 10};
}

double AudioMonitor::waitForSoundAfter(double whenMs, int timeoutMs)
{
    double heard = -1;
    (void)QTest::qWaitFor([&] { return (heard = firstSoundAfter(whenMs)) > 0; }, timeoutMs);
    return heard;
}

double AudioMonitor::waitForPitchAt(double whenMs, int timeoutMs)
{
    double pitch = 0;
    (void)QTest::qWaitFor([&] { return (pitch = pitchAt(whenMs)) > 0; }, timeoutMs);
    return pitch;
}
