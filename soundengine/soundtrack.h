// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QString>
#include <QTimer>

class QAudioDecoder;
class QAudioSink;
class QIODevice;

namespace soundengine {

class SoundEngine;

// One sound, from its file (or the tone) to the sound server: decoded a
// little ahead of the output, written in pieces as the output makes room.
class SoundTrack : public QObject
{
public:
    SoundTrack(SoundEngine &engine, QString requested, bool tone);
    ~SoundTrack() override { halt(); }

    const QString &requested() const { return m_requested; }
    bool isTone() const { return m_tone; }
    bool isWanted() const { return m_wanted; }
    qint64 duration() const { return m_durationMs; }
    bool isReady() const;

    // Decodes the start of the sound and opens its output, silent. A
    // sound to play at once starts from the engine's kept start of the
    // file, if it has one; one made ready ahead has its seconds to decode.
    void load(int startLimitMs, bool atOnce);

    // A track made ready long ago may have lost its output to a sound
    // server that went away; it gets a new one.
    void keepReady();

    void play();
    void setVolume(qreal volume);
    void halt();

private:
    qsizetype buffered() const { return m_pcm.size() - m_read; }
    bool decoded() const;
    void openOutput();
    void closeOutput();
    bool outputLost() const;
    // Gives up on the file, saying why; the tone stands in.
    void fail(const QString &why);
    void pull();
    // Hands the engine the decoded start of this file, once there is enough.
    void keepStart();
    void tryStart();

    // Writes up to that many bytes of the sound, padded with silence to at
    // least padTo.
    bool write(qsizetype most, qsizetype padTo = 0);
    void feed();

    SoundEngine &m_engine;
    const QString m_requested;
    const bool m_tone;
    QAudioDevice m_device;
    QAudioFormat m_format;
    QAudioDecoder *m_decoder = nullptr;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_out = nullptr;
    QFileInfo m_file; // as it was when loaded
    QByteArray m_pcm;
    qsizetype m_read = 0;
    qsizetype m_skip = 0;    // of what the decoder gives, already there
    qsizetype m_heardAt = -1; // in m_pcm, past the leading silence
    bool m_startKept = false;
    qint64 m_written = 0;
    qint64 m_durationMs = -1;
    qreal m_volume = 1.0;
    bool m_decoded = false;
    bool m_trimmed = false;
    bool m_wanted = false;
    bool m_started = false;
    int m_feeds = 0;
    int m_outputTries = 0;
    QElapsedTimer m_clock; // since the first write
    qint64 m_lastFeedUs = 0;
    qint64 m_playedUs = 0;
    QTimer m_startLimit;
    QTimer m_feed;
    QTimer m_outputRetry;
    QElapsedTimer m_lastWrite;
};

} // namespace soundengine
