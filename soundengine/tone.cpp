// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/tone.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace soundengine {

namespace {

template<class T>
void putLe(QByteArray &out, T v)
{
    char b[sizeof(T)];
    qToLittleEndian(v, b);
    out.append(b, sizeof(T));
}

} // namespace

QList<float> sineSamples(double frequency, double seconds, int sampleRate, double amplitude)
{
    const int n = int(seconds * sampleRate);
    const int fade = std::max(1, sampleRate / 200); // 5 ms
    QList<float> samples;
    samples.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double envelope = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
        samples.append(float(std::sin(2 * std::numbers::pi * frequency * i / sampleRate) * envelope * amplitude));
    }
    return samples;
}

QList<float> alarmTone(int sampleRate)
{
    const QList<float> gap(int(0.06 * sampleRate), 0.0f);
    const QList<float> pause(int(0.25 * sampleRate), 0.0f);
    QList<float> samples;
    for (int round = 0; round < 3; ++round)
        samples << sineSamples(880, 0.14, sampleRate) << gap << sineSamples(1320, 0.14, sampleRate) << gap
                << sineSamples(880, 0.14, sampleRate) << pause;
    return samples;
}

QByteArray wavFile(const QList<float> &samples, int sampleRate)
{
    QByteArray wav;
    const auto dataBytes = quint32(samples.size() * 2);
    wav.append("RIFF", 4);
    putLe<quint32>(wav, 36 + dataBytes);
    wav.append("WAVEfmt ", 8);
    putLe<quint32>(wav, 16);
    putLe<quint16>(wav, 1); // PCM
    putLe<quint16>(wav, 1); // mono
    putLe<quint32>(wav, quint32(sampleRate));
    putLe<quint32>(wav, quint32(sampleRate * 2));
    putLe<quint16>(wav, 2);
    putLe<quint16>(wav, 16);
    wav.append("data", 4);
    putLe<quint32>(wav, dataBytes);
    for (float s : samples)
        putLe<qint16>(wav, qint16(std::clamp(s, -1.0f, 1.0f) * 32767));
    return wav;
}

} // namespace soundengine
