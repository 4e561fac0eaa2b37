// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/soundtrack.h"

#include "soundengine/pcm.h"
#include "soundengine/soundengine.h"
#include "soundengine/soundlog.h"
#include "soundengine/tone.h"
#include "soundengine/videosinks.h"

#include <QAudioDecoder>
#include <QAudioSink>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>

namespace soundengine {

namespace {

// How far the writes keep ahead of what has been played: enough that a
// thread held up for a while does not let the output run dry. The server
// takes more than its buffer holds and plays it in turn.
constexpr qint64 aheadUs = 300'000;
// How much is decoded ahead of what is played: bounded, so a long song
// costs little memory (the decoder pauses while nobody reads it).
constexpr qint64 decodeAheadUs = 2'000'000;
// At most this much near-silence is cut from the start of a file.
constexpr qint64 leadingSilenceUs = 100'000;
// How much of a file's start is kept for when it plays again: more than
// the first write takes, so that the new decoder has the time that start
// plays to catch up.
constexpr qint64 keptStartUs = 1'000'000;
constexpr int feedMs = 50;
constexpr int outputRetryMs = 500;
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

SoundTrack::SoundTrack(SoundEngine &engine, QString requested, bool tone)
    : m_engine(engine), m_requested(std::move(requested)), m_tone(tone)
{
    m_startLimit.setSingleShot(true);
    connect(&m_startLimit, &QTimer::timeout, this, [this] {
        if (m_pcm.isEmpty() && !decoded())
            fail(QStringLiteral("nothing decoded within %1 ms").arg(m_startLimit.interval()));
    });
    m_feed.setInterval(feedMs);
    m_feed.setTimerType(Qt::PreciseTimer);
    connect(&m_feed, &QTimer::timeout, this, &SoundTrack::feed);
    m_outputRetry.setInterval(outputRetryMs);
    connect(&m_outputRetry, &QTimer::timeout, this, [this] {
        if (++m_outputTries >= outputRetries) {
            // No sound server to play into: this sound is over unheard.
            qCWarning(soundLog, "no sound server to play %s into: it is not heard",
                      qPrintable(m_tone ? QStringLiteral("the tone") : m_requested));
            halt();
            m_engine.trackEnded(this);
            return;
        }
        tryStart();
    });
}

bool SoundTrack::decoded() const
{
    return m_decoded && (!m_decoder || !m_decoder->bufferAvailable());
}

bool SoundTrack::isReady() const
{
    return m_trimmed && m_sink && !outputLost() && (decoded() || buffered() >= m_sink->bufferSize());
}

void SoundTrack::load(int startLimitMs, bool atOnce)
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
    m_file.setFile(m_requested);
    const QFileInfo &file = m_file;
    if (m_requested.isEmpty() || !file.isFile() || !file.isReadable() || file.size() == 0) {
        fail(!file.exists()       ? QStringLiteral("no such file")
             : !file.isFile()     ? QStringLiteral("not a file")
             : !file.isReadable() ? QStringLiteral("not readable")
                                  : QStringLiteral("empty"));
        return;
    }
    if (const SoundEngine::Start *start = atOnce ? m_engine.startOf(file, m_format) : nullptr) {
        // Heard before and not changed since.
        m_pcm = start->pcm;
        m_skip = start->end;
        m_trimmed = m_startKept = true;
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
        fail(QStringLiteral("the decoder says: ") + m_decoder->errorString());
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

void SoundTrack::keepReady()
{
    if (!m_started && outputLost())
        closeOutput();
    if (!m_sink)
        openOutput();
}

void SoundTrack::play()
{
    m_wanted = true;
    tryStart();
}

void SoundTrack::setVolume(qreal volume)
{
    m_volume = volume;
    if (m_sink)
        m_sink->setVolume(volume);
}

void SoundTrack::halt()
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

void SoundTrack::openOutput()
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

void SoundTrack::closeOutput()
{
    if (!m_sink)
        return;
    m_engine.giveBack(m_sink);
    m_sink = nullptr;
    m_out = nullptr;
}

bool SoundTrack::outputLost() const
{
    // A server that goes away fails the output's stream at once, but Qt
    // tells the output so only later, from another thread; until then the
    // stream has less than no room. Writing to it in that time was seen to
    // leave Qt's connection to the server stuck for good: the next alarm,
    // after the server came back, and the tone standing in for it were
    // silent.
    return m_sink
           && (m_sink->state() == QAudio::StoppedState || m_sink->error() == QAudio::FatalError
               || m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::IOError
               || m_sink->bytesFree() < 0);
}

void SoundTrack::fail(const QString &why)
{
    qCWarning(soundLog, "%s cannot play (%s): the tone plays in its place", qPrintable(m_requested), qPrintable(why));
    halt();
    m_engine.trackFailed(this);
}

void SoundTrack::pull()
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
            fail(QStringLiteral("decoded in another format than the output's"));
            return;
        }
        const QByteArrayView samples(buffer.constData<char>(), buffer.byteCount());
        const qsizetype skipped = std::min(m_skip, samples.size());
        m_skip -= skipped;
        m_pcm.append(samples.sliced(skipped));
    }
    if (!m_trimmed && (buffered() >= m_format.bytesForDuration(leadingSilenceUs) || decoded())) {
        // Decoders hand out the encoder's priming samples before the
        // sound itself; the alarm must be heard on its second.
        m_read += pcm::leadingSilence(QByteArrayView(m_pcm).sliced(m_read), m_format,
                                      m_format.bytesForDuration(leadingSilenceUs));
        m_trimmed = true;
        m_heardAt = m_read;
    }
    keepStart();
    if (m_started)
        return;
    if (decoded() && buffered() == 0) {
        // A file with nothing to hear in it: a header alone, pictures
        // without sound.
        fail(QStringLiteral("no sound in it"));
        return;
    }
    tryStart();
}

void SoundTrack::keepStart()
{
    if (m_startKept || m_heardAt < 0)
        return;
    const qsizetype wanted = m_format.bytesForDuration(keptStartUs);
    if (m_pcm.size() - m_heardAt < wanted && !decoded())
        return;
    const QByteArray start = m_pcm.sliced(m_heardAt, std::min(wanted, m_pcm.size() - m_heardAt));
    m_engine.keepStart({m_requested, m_file.size(), m_file.lastModified(), m_format, start, m_heardAt + start.size()});
    m_startKept = true;
}

void SoundTrack::tryStart()
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
    qCDebug(soundLog, "%s starts", qPrintable(m_tone ? QStringLiteral("the tone") : m_requested));
    m_clock.start();
    m_lastFeedUs = 0;
    m_engine.trackStarted(this);
    m_feed.start();
}

bool SoundTrack::write(qsizetype most, qsizetype padTo)
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
        m_startKept = true; // what was kept, or nothing: its start is gone
    }
    return true;
}

void SoundTrack::feed()
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

} // namespace soundengine
