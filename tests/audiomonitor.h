// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Listens to what a PulseAudio sink plays, through its monitor, and tells
// when sound was heard.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// Wall-clock milliseconds, finer than QDateTime gives them.
double wallMs();

// Records the sink's monitor and knows when each sample was played. A chunk
// arrives some time after its last sample was played; over a second of
// chunks the earliest arrival gives the closest estimate. The estimate is
// made near each sample, so that samples the recorder may have dropped
// earlier do not shift it.
class AudioMonitor
{
public:
    // The sink of the sound server the environment names, or of the one
    // this process uses; the sound comes in chunks of about chunkMs, which
    // bounds how exactly it is timed. On PipeWire the shortest latency
    // asked for sets the pace of every stream, the monitor's included. It is heard from about two seconds
    // after the monitor starts: start it well before the sound.
    // With a hum, the stream that keeps the sink running plays a tone too
    // faint to count as heard, so that a silence tells whether the server
    // played nothing at all then or only nothing of the sound listened for.
    explicit AudioMonitor(const QString &sink, const QProcessEnvironment &server = {}, int chunkMs = 20,
                          bool hum = false);
    ~AudioMonitor();
    // When the first audible sample at or after the given time was played,
    // or -1.
    double firstSoundAfter(double whenMs) const;
    // The same, waiting up to timeoutMs for it to be heard.
    double waitForSoundAfter(double whenMs, int timeoutMs);
    // The pitch heard from that time on, over a tenth of a second (holes
    // in the sound left out), in hertz: tells a sound from another. 0
    // until that much was heard.
    double pitchAt(double whenMs) const;
    double waitForPitchAt(double whenMs, int timeoutMs);
    // The longest stretch without an audible sample between those times,
    // in milliseconds: a sound that cuts out has one.
    double longestSilence(double fromMs, double toMs) const { return silenceIn(fromMs, toMs).ms; }
    struct Silence {
        double ms = 0;
        double at = -1;        // where it began
        bool humHeard = false; // the server went on playing the hum through it
    };
    Silence silenceIn(double fromMs, double toMs) const;

    static constexpr int rate = 48000;
    static constexpr int audible = 1000; // about -30 dBFS

private:
    struct Chunk {
        double arrival;
        qsizetype samples; // received so far
    };
    double timeOf(qsizetype sample) const;
    qsizetype sampleAt(double whenMs) const;

    QProcess m_hum;
    QProcess m_silence;
    QProcess m_parec;
    QByteArray m_data;
    QList<Chunk> m_chunks;
};
