// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/services.h"

#include <QAudioFormat>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QTimer>

#include <memory>

class QAudioDevice;
class QAudioSink;
class QFileInfo;

namespace soundengine {

// The seam the window plays its sounds through, which the engine fills.
using desktop::SoundOutput;

class SoundTrack;

// Plays the program's sounds, the files the user chose and the alarm tone
// in their place, through Qt's decoder and audio output. Everything it does
// may wait (on the disk, on a decoder, on the sound server), so it lives on
// a thread of its own and the window only posts requests to it.
//
// A sound made ready ahead has the start of its file decoded and its output
// open but silent, so that playing it writes the first samples at once.
class SoundEngine : public SoundOutput
{
    Q_OBJECT
public:
    struct Limits {
        // A file of which nothing is decoded by then gets the tone instead:
        // some damaged files neither play nor fail.
        int startMs = 2000;
        // A sound made ready and not played by then is let go, so that no
        // output waits open on the sound server for hours.
        int preparedMs = 10000;
    };

    explicit SoundEngine(QObject *parent = nullptr);
    SoundEngine(Limits limits, QObject *parent);
    ~SoundEngine() override;

    void play(const QString &path) override;
    void stop() override;
    void prepare(const QString &path) override;
    int volume() const override { return m_volume; }
    void setVolume(int volume) override;

    // Nothing plays and nothing is made ready: no decoder, no timer, and
    // no output but the one kept corked for the next sound.
    bool isAtRest() const;
    // Made ready for that file: playing it writes its first samples at once.
    bool isReadyToPlay(const QString &path) const;

private:
    friend class SoundTrack;
    // An output open on the sound server, or none (no io) where it could
    // not be opened.
    struct Output {
        QAudioSink *sink = nullptr;
        QIODevice *io = nullptr;
    };
    // The decoded start of the last file heard. Its decoder takes tens of
    // milliseconds to give its first samples (an MP3's the longest), so
    // the same file played again at once (Tocar) starts from this while a
    // new decoder catches up.
    struct Start {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        QAudioFormat format;
        QByteArray pcm;    // from the first sample heard
        qsizetype end = 0; // where it ends in what the decoder gives
    };
    Output takeOutput(const QAudioDevice &device, const QAudioFormat &format);
    Output openOutput(const QAudioDevice &device, const QAudioFormat &format);
    void giveBack(QAudioSink *sink);
    void keepOutputAhead();
    // What was kept of that file, if it has not changed since.
    const Start *startOf(const QFileInfo &file, const QAudioFormat &format) const;
    void keepStart(Start start) { m_start = std::move(start); }
    void load(std::unique_ptr<SoundTrack> &slot, const QString &path, bool tone, bool atOnce);
    void retire(std::unique_ptr<SoundTrack> &slot);
    std::unique_ptr<SoundTrack> &slotOf(const SoundTrack *track);
    void trackFailed(SoundTrack *track);
    void trackStarted(SoundTrack *track);
    void trackEnded(SoundTrack *track);
    void trackDuration(SoundTrack *track, qint64 ms);
    void trackPosition(SoundTrack *track, qint64 ms);

    Limits m_limits;
    std::unique_ptr<SoundTrack> m_playing;
    std::unique_ptr<SoundTrack> m_prepared;
    std::unique_ptr<SoundTrack> m_none;
    QTimer m_preparedLife;
    // Opening an output takes the sound server a while (PipeWire's
    // PulseAudio server up to 80 ms), so one is kept open, corked, for the
    // next sound that was not made ready ahead.
    Output m_ahead;
    QTimer m_openAhead;
    QList<QAudioSink *> m_outputs; // stopped, ready to be used again
    Start m_start;
    QHash<QAudioSink *, QByteArray> m_outputDevices;
    int m_volume = 100;
};

} // namespace soundengine
