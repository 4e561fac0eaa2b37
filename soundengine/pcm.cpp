// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/pcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace soundengine::pcm {

qsizetype leadingSilence(QByteArrayView samples, const QAudioFormat &format, qsizetype maxBytes)
{
    const int frame = format.bytesPerFrame();
    const int sample = format.bytesPerSample();
    if (frame <= 0 || sample <= 0)
        return 0;
    const qsizetype limit = std::min(samples.size(), maxBytes) / frame * frame;
    for (qsizetype at = 0; at < limit; at += sample) {
        if (std::abs(format.normalizedSampleValue(samples.data() + at)) > silenceLevel)
            return at / frame * frame;
    }
    return limit;
}

namespace {

template<class T>
void put(char *to, T value)
{
    std::memcpy(to, &value, sizeof(T));
}

} // namespace

QByteArray render(const QList<float> &mono, const QAudioFormat &format)
{
    const int channels = format.channelCount();
    const int sample = format.bytesPerSample();
    if (channels <= 0 || sample <= 0)
        return {};
    QByteArray out(mono.size() * channels * sample, Qt::Uninitialized);
    char *to = out.data();
    for (float m : mono) {
        const float v = std::clamp(m, -1.0f, 1.0f);
        for (int c = 0; c < channels; ++c, to += sample) {
            switch (format.sampleFormat()) {
            case QAudioFormat::UInt8:
                // Qt reads 127 as the middle.
                put<quint8>(to, quint8(std::lround((v + 1.0f) * 127.0f)));
                break;
            case QAudioFormat::Int16:
                put<qint16>(to, qint16(std::lround(v * 32767.0f)));
                break;
            case QAudioFormat::Int32:
                put<qint32>(to, qint32(std::lround(double(v) * 2147483647.0)));
                break;
            case QAudioFormat::Float:
                put<float>(to, v);
                break;
            default:
                std::memset(to, 0, size_t(sample));
                break;
            }
        }
    }
    return out;
}

} // namespace soundengine::pcm
