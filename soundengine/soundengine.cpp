// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/soundengine.h"

#include "soundengine/pcm.h"
#include "soundengine/tone.h"
#include "soundengine/videosinks.h"

#include <QAudioDecoder>
#include <QAudioDevice>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>

#include <utility>

namespace soundengine {

namespace {

// The latency the sound server is asked for (the stream's target length).
// The server makes the stream's buffer and its own pace from it, and the
// first samples written are heard within a step or two of that pace:
// PipeWire plays every stream in steps of the shortest latency any of them
// asks for, up to 43 ms. Its PulseAudio server takes 80 ms as a latency of
// 20 ms, which gives steps of 512 frames, 11 ms at 48 kHz; half that (5 ms
// steps) made the sound cut out now and then. A longer latency does not
// help with what cuts out at this one: a server held up for a few
// milliseconds (a busy machine) skips a whole step of every stream, however
// much of the sound it holds, and the first sample comes a step later.
constexpr qint64 latencyUs = 80'000;
// How far the writes keep ahead of what has been played: enough that a
// thread held up for a while does not let the output run dry. The server
// takes more than its buffer holds and plays it in turn.
constexpr qint64 aheadUs = 300'000;
// How much is decoded ahead of what is played: bounded, so a long song
// costs little memory (the decoder pauses while nobody reads it).
constexpr qint64 decodeAheadUs = 2'000'000;
// At most this much near-silence is cut from the start of a file.
constexpr qint64 leadingSilenceUs = 100'000;
constexpr int feedMs = 50;
constexpr int outputRetryMs = 500;
// The corked output for the next sound is opened this long after the last
// sound let go of its own, once nothing plays.
constexpr int openAheadMs = 200;
constexpr int outputRetries = 10;

QAudioFormat fallbackFormat()
{
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

// One sound, from its file (or the tone) to the sound server: decoded a
// little ahead of the output, written in pieces as the output makes room.
class SoundTrack : public QObject
{
public:
    SoundTrack(SoundEngine &engine, QString requested, bool tone)
        : m_engine(engine), m_requested(std::move(requested)), m_tone(tone)
    {
        m_startLimit.setSingleShot(true);
        connect(&m_startLimit, &QTimer::timeout, this, [this] {
            if (m_pcm.isEmpty() && !decoded())
                fail();
        });
        m_feed.setInterval(feedMs);
        m_feed.setTimerType(Qt::PreciseTimer);
        connect(&m_feed, &QTimer::timeout, this, &SoundTrack::feed);
        m_outputRetry.setInterval(outputRetryMs);
        connect(&m_outputRetry, &QTimer::timeout, this, [this] {
            if (++m_outputTries >= outputRetries) {
                // No sound server to play into: this sound is over unheard.
                halt();
                m_engine.trackEnded(this);
                return;
            }
            tryStart();
        });
    }

    ~SoundTrack() override { halt(); }

    const QString &requested() const { return m_requested; }
    bool isTone() const { return m_tone; }
    bool isWanted() const { return m_wanted; }
    qint64 duration() const { return m_durationMs; }
    bool isReady() const
    {
        return m_trimmed && m_sink && !outputLost() && (decoded() || buffered() >= m_sink->bufferSize());
    }

    // Decodes the start of the sound and opens its output, silent.
    void load(int startLimitMs)
    {
        m_device = QMediaDevices::defaultAudioOutput();
        m_format = m_device.isNull() ? fallbackFormat() : m_device.preferredFormat();
        if (m_tone) {
            m_pcm = pcm::render(alarmTone(m_format.sampleRate()), m_format);
            m_durationMs = m_format.durationForBytes(m_pcm.size()) / 1000;
            m_decoded = m_trimmed = true;
            openOutput();
            return;
        }
        // A folder, a pipe or a device is no sound, and opening a pipe to
        // decode it would wait for ever.
        const QFileInfo file(m_requested);
        if (m_requested.isEmpty() || !file.isFile() || !file.isReadable() || file.size() == 0) {
            fail();
            return;
        }
        declineVideoSinks();
        m_decoder = new QAudioDecoder(this);
        m_decoder->setAudioFormat(m_format);
        connect(m_decoder, &QAudioDecoder::bufferReady, this, &SoundTrack::pull);
        connect(m_decoder, &QAudioDecoder::finished, this, [this] {
            m_decoded = true;
            pull();
        });
        connect(m_decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this, [this] {
            if (m_started) {
                // Damaged further in: what was decoded plays to its end.
                m_decoded = true;
                return;
            }
            fail();
        });
        connect(m_decoder, &QAudioDecoder::durationChanged, this, [this](qint64 ms) {
            if (ms > 0 && ms != m_durationMs) {
                m_durationMs = ms;
                m_engine.trackDuration(this, ms);
            }
        });
        m_decoder->setSource(QUrl::fromLocalFile(m_requested));
        m_decoder->start();
        m_startLimit.start(startLimitMs);
        openOutput();
    }

    // A track made ready long ago may have lost its output to a sound
    // server that went away; it gets a new one.
    void keepReady()
    {
        if (!m_started && outputLost())
            closeOutput();
        if (!m_sink)
            openOutput();
    }

    void play()
    {
        m_wanted = true;
        tryStart();
    }

    void setVolume(qreal volume)
    {
        m_volume = volume;
        if (m_sink)
            m_sink->setVolume(volume);
    }

    void halt()
    {
        m_feed.stop();
        m_startLimit.stop();
        m_outputRetry.stop();
        closeOutput();
        if (m_decoder) {
            m_decoder->stop();
            m_decoder->deleteLater();
            m_decoder = nullptr;
        }
    }

private:
    qsizetype buffered() const { return m_pcm.size() - m_read; }
    bool decoded() const { return m_decoded && (!m_decoder || !m_decoder->bufferAvailable()); }

    void openOutput()
    {
        if (m_sink)
            return;
        if (m_device.isNull())
            m_device = QMediaDevices::defaultAudioOutput();
        if (m_device.isNull())
            return; // no sound server, for now
        const SoundEngine::Output output = m_engine.takeOutput(m_device, m_format);
        if (!output.io) {
            // The server may come back under another default: asked again next time.
            m_device = QAudioDevice();
            return;
        }
        m_sink = output.sink;
        m_out = output.io;
        m_sink->setVolume(m_volume);
    }

    void closeOutput()
    {
        if (!m_sink)
            return;
        m_engine.giveBack(m_sink);
        m_sink = nullptr;
        m_out = nullptr;
    }

    bool outputLost() const
    {
        return m_sink
               && (m_sink->state() == QAudio::StoppedState || m_sink->error() == QAudio::FatalError
                   || m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::IOError);
    }

    void fail()
    {
        halt();
        m_engine.trackFailed(this);
    }

    void pull()
    {
        if (!m_decoder)
            return;
        const qsizetype ahead = m_format.bytesForDuration(decodeAheadUs);
        while (buffered() < ahead && m_decoder->bufferAvailable()) {
            const QAudioBuffer buffer = m_decoder->read();
            if (!buffer.isValid())
                break;
            const QAudioFormat got = buffer.format();
            if (got.sampleRate() != m_format.sampleRate() || got.channelCount() != m_format.channelCount()
                || got.sampleFormat() != m_format.sampleFormat()) {
                fail();
                return;
            }
            m_pcm.append(buffer.constData<char>(), buffer.byteCount());
        }
        if (!m_trimmed && (buffered() >= m_format.bytesForDuration(leadingSilenceUs) || decoded())) {
            // Decoders hand out the encoder's priming samples before the
            // sound itself; the alarm must be heard on its second.
            m_read += pcm::leadingSilence(QByteArrayView(m_pcm).sliced(m_read), m_format,
                                          m_format.bytesForDuration(leadingSilenceUs));
            m_trimmed = true;
        }
        if (m_started)
            return;
        if (decoded() && buffered() == 0) {
            // A file with nothing to hear in it: a header alone, pictures
            // without sound.
            fail();
            return;
        }
        tryStart();
    }

    void tryStart()
    {
        if (!m_wanted || m_started || !m_trimmed)
            return;
        if (outputLost())
            closeOutput();
        if (!m_sink)
            openOutput();
        if (!m_sink) {
            if (!m_outputRetry.isActive())
                m_outputRetry.start();
            return;
        }
        m_outputRetry.stop();
        const qsizetype room = m_sink->bytesFree();
        // The first write must fill the output's buffer, or the server
        // never starts the stream; a sound shorter than that is padded out.
        if (room <= 0 || (buffered() < room && !decoded()))
            return;
        if (!write(room + m_format.bytesForDuration(aheadUs), room))
            return;
        m_started = true;
        m_clock.start();
        m_lastFeedUs = 0;
        m_engine.trackStarted(this);
        m_feed.start();
    }

    // Writes up to that many bytes of the sound, padded with silence to at
    // least padTo.
    bool write(qsizetype most, qsizetype padTo = 0)
    {
        const int frame = m_format.bytesPerFrame();
        const qsizetype n = std::min(most, buffered()) / frame * frame;
        QByteArray chunk = m_pcm.sliced(m_read, n);
        if (chunk.size() < padTo / frame * frame) {
            const char silence = m_format.sampleFormat() == QAudioFormat::UInt8 ? char(127) : char(0);
            chunk.append(QByteArray(padTo / frame * frame - chunk.size(), silence));
        }
        if (chunk.isEmpty())
            return true;
        const qint64 written = m_out->write(chunk);
        if (written <= 0)
            return false;
        m_read += std::min<qint64>(written, n);
        m_written += written;
        m_lastWrite.start();
        if (m_read > 4 * 1024 * 1024) {
            m_pcm.remove(0, m_read);
            m_read = 0;
        }
        return true;
    }

    void feed()
    {
        if (outputLost()) {
            // The sound server went away: this sound is over.
            halt();
            m_engine.trackEnded(this);
            return;
        }
        pull();
        if (!m_sink)
            return;
        // How far the sound has got, by the wall clock while the output
        // plays: the server's own count is unreliable just after a start.
        const qint64 nowUs = m_clock.nsecsElapsed() / 1000;
        if (m_sink->state() == QAudio::ActiveState)
            m_playedUs += nowUs - m_lastFeedUs;
        m_lastFeedUs = nowUs;
        m_playedUs = std::min(m_playedUs, m_format.durationForBytes(m_written));
        // What the server asks for, or what keeps the writes ahead.
        const qint64 leadUs = m_format.durationForBytes(m_written) - m_playedUs;
        const qsizetype wanted = std::max<qsizetype>(m_sink->bytesFree(), m_format.bytesForDuration(aheadUs - leadUs));
        if (wanted > 0 && buffered() > 0)
            write(wanted);
        if (++m_feeds % 4 == 0)
            m_engine.trackPosition(this, m_playedUs / 1000);
        // All written: over once the output has run dry, or, should it not
        // say so, once it surely has.
        if (decoded() && buffered() == 0
            && (m_sink->state() == QAudio::IdleState || m_lastWrite.elapsed() > aheadUs / 1000 + 1000)) {
            halt();
            m_engine.trackEnded(this);
        }
    }

    SoundEngine &m_engine;
    const QString m_requested;
    const bool m_tone;
    QAudioDevice m_device;
    QAudioFormat m_format;
    QAudioDecoder *m_decoder = nullptr;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_out = nullptr;
    QByteArray m_pcm;
    qsizetype m_read = 0;
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

SoundEngine::SoundEngine(QObject *parent) : SoundEngine(Limits{}, parent) {}

SoundEngine::SoundEngine(Limits limits, QObject *parent) : SoundOutput(parent), m_limits(limits)
{
    m_preparedLife.setSingleShot(true);
    connect(&m_preparedLife, &QTimer::timeout, this, [this] { retire(m_prepared); });
    m_openAhead.setSingleShot(true);
    m_openAhead.setInterval(openAheadMs);
    connect(&m_openAhead, &QTimer::timeout, this, &SoundEngine::keepOutputAhead);
}

SoundEngine::~SoundEngine()
{
    // The sounds first, then the outputs they gave back.
    m_playing.reset();
    m_prepared.reset();
    m_openAhead.stop();
    delete m_ahead.sink;
    qDeleteAll(m_outputs);
}

SoundEngine::Output SoundEngine::takeOutput(const QAudioDevice &device, const QAudioFormat &format)
{
    if (const Output ahead = std::exchange(m_ahead, {}); ahead.sink) {
        if (ahead.sink->format() == format && m_outputDevices.value(ahead.sink) == device.id()
            && ahead.sink->state() == QAudio::SuspendedState && ahead.sink->error() == QAudio::NoError) {
            ahead.sink->resume();
            if (ahead.sink->state() != QAudio::SuspendedState && ahead.sink->state() != QAudio::StoppedState)
                return ahead;
        }
        // Its server went away, or the sound goes elsewhere now.
        ahead.sink->stop();
        m_outputs.append(ahead.sink);
    }
    return openOutput(device, format);
}

SoundEngine::Output SoundEngine::openOutput(const QAudioDevice &device, const QAudioFormat &format)
{
    // Qt's output runs the thread's pending events as it is destroyed,
    // requests included, so outputs are kept and used again rather than
    // destroyed in the middle of one.
    QAudioSink *sink = nullptr;
    for (auto it = m_outputs.begin(); it != m_outputs.end(); ++it) {
        if ((*it)->format() == format && m_outputDevices.value(*it) == device.id()) {
            sink = *it;
            m_outputs.erase(it);
            break;
        }
    }
    if (!sink) {
        sink = new QAudioSink(device, format, this);
        m_outputDevices.insert(sink, device.id());
    }
    sink->setBufferSize(format.bytesForDuration(latencyUs));
    const Output output{sink, sink->start()};
    if (!output.io) {
        sink->stop();
        m_outputs.append(sink);
        return {};
    }
    return output;
}

void SoundEngine::giveBack(QAudioSink *sink)
{
    sink->stop();
    m_outputs.append(sink);
    m_openAhead.start();
}

void SoundEngine::keepOutputAhead()
{
    // Not while a sound plays or waits to: opening holds this thread up.
    if (m_ahead.sink || m_playing || m_prepared)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    const Output output = openOutput(device, device.preferredFormat());
    if (!output.io)
        return;
    // Corked, it costs the server nothing until it plays.
    output.sink->suspend();
    if (output.sink->state() != QAudio::SuspendedState) {
        output.sink->stop();
        m_outputs.append(output.sink);
        return;
    }
    m_ahead = output;
}

bool SoundEngine::isAtRest() const
{
    return !m_playing && !m_prepared && !m_preparedLife.isActive();
}

bool SoundEngine::isReadyToPlay(const QString &path) const
{
    return m_prepared && m_prepared->requested() == path && m_prepared->isReady();
}

void SoundEngine::load(std::unique_ptr<SoundTrack> &slot, const QString &path, bool tone)
{
    slot = std::make_unique<SoundTrack>(*this, path, tone);
    slot->setVolume(m_volume / 100.0);
    // Loading may find the file unplayable and put the tone in the slot.
    slot->load(m_limits.startMs);
}

void SoundEngine::retire(std::unique_ptr<SoundTrack> &slot)
{
    if (!slot)
        return;
    slot->halt();
    // It may be the one whose handler is running.
    slot.release()->deleteLater();
}

std::unique_ptr<SoundTrack> &SoundEngine::slotOf(const SoundTrack *track)
{
    if (track && track == m_playing.get())
        return m_playing;
    if (track && track == m_prepared.get())
        return m_prepared;
    return m_none;
}

void SoundEngine::prepare(const QString &path)
{
    if (m_prepared && m_prepared->requested() == path)
        m_prepared->keepReady();
    else
        load(m_prepared, path, path.isEmpty());
    if (m_prepared)
        m_preparedLife.start(m_limits.preparedMs);
}

void SoundEngine::play(const QString &path)
{
    retire(m_playing);
    if (m_prepared && m_prepared->requested() == path) {
        m_playing = std::move(m_prepared);
        m_preparedLife.stop();
    } else {
        load(m_playing, path, path.isEmpty());
    }
    Q_EMIT positionChanged(0);
    Q_EMIT durationChanged(std::max<qint64>(0, m_playing->duration()));
    m_playing->play();
}

void SoundEngine::stop()
{
    // A sound made ready for an alarm stays ready.
    retire(m_playing);
}

void SoundEngine::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    for (auto *track : {m_playing.get(), m_prepared.get()}) {
        if (track)
            track->setVolume(volume / 100.0);
    }
    Q_EMIT volumeChanged(volume);
}

void SoundEngine::trackFailed(SoundTrack *track)
{
    auto &slot = slotOf(track);
    if (!slot)
        return;
    // The file cannot be played: the tone takes its place, in its role.
    const bool wanted = track->isWanted();
    const QString requested = track->requested();
    retire(slot);
    load(slot, requested, true);
    if (&slot == &m_playing) {
        Q_EMIT durationChanged(std::max<qint64>(0, slot->duration()));
        if (wanted)
            slot->play();
    }
}

void SoundEngine::trackStarted(SoundTrack *track)
{
    if (track == m_playing.get())
        Q_EMIT soundStarted(track->isTone());
}

void SoundEngine::trackEnded(SoundTrack *track)
{
    if (track != m_playing.get())
        return;
    if (track->duration() > 0)
        Q_EMIT positionChanged(track->duration());
    retire(m_playing);
}

void SoundEngine::trackDuration(SoundTrack *track, qint64 ms)
{
    if (track == m_playing.get())
        Q_EMIT durationChanged(ms);
}

void SoundEngine::trackPosition(SoundTrack *track, qint64 ms)
{
    if (track == m_playing.get())
        Q_EMIT positionChanged(ms);
}

} // namespace soundengine

extern "C" Q_DECL_EXPORT desktop::SoundOutput *relogio_create_sound_engine()
{
    return new soundengine::SoundEngine();
}
