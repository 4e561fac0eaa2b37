#pragma once

#include <QByteArray>
#include <QList>

namespace platform {

// A complete WAV file of 16-bit mono samples.
QByteArray wavFile(const QList<qint16> &samples, int sampleRate);

// A sine at the given frequency, softened at both ends so it does not click.
QList<qint16> sineSamples(double frequency, double seconds, int sampleRate, double amplitude = 0.6);

// The program's own alarm tone, played when a sound file cannot be: three
// rounds of beeps at 880 and 1320 Hz, about 1.6 seconds in all.
QByteArray alarmToneWav();

} // namespace platform
