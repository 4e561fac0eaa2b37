// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace soundengine::pcm {

// Below about -54 dBFS: the near-silence that decoders put before a sound,
// an encoder's priming samples.
constexpr float silenceLevel = 0.002f;

// How many bytes of near-silence open the samples, in whole frames and at
// most maxBytes: a sound that begins quietly on purpose keeps its start.
qsizetype leadingSilence(QByteArrayView samples, const QAudioFormat &format, qsizetype maxBytes);

// Mono samples from -1 to 1, written in the given format with the same
// sample on every channel.
QByteArray render(const QList<float> &mono, const QAudioFormat &format);

} // namespace soundengine::pcm
