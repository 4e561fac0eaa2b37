// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

namespace soundengine {

// A sine at the given frequency, from -1 to 1 times the amplitude,
// softened at both ends so it does not click.
QList<float> sineSamples(double frequency, double seconds, int sampleRate, double amplitude = 0.6);

// The program's own alarm tone, played when a sound file cannot be: three
// rounds of beeps at 880 and 1320 Hz, about 2.4 seconds in all, as mono
// samples at the given rate.
QList<float> alarmTone(int sampleRate);

// A complete WAV file of 16-bit mono samples.
QByteArray wavFile(const QList<float> &samples, int sampleRate);

} // namespace soundengine
