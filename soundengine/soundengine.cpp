// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/soundengine.h"

#include "soundengine/soundtrack.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QFileInfo>
#include <QMediaDevices>

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
// The corked output for the next sound is opened this long after the last
// sound let go of its own, once nothing plays.
constexpr int openAheadMs = 200;

} // namespace

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

const SoundEngine::Start *SoundEngine::startOf(const QFileInfo &file, const QAudioFormat &format) const
{
    if (m_start.pcm.isEmpty() || m_start.path != file.filePath() || m_start.size != file.size()
        || m_start.modified != file.lastModified() || m_start.format != format)
        return nullptr;
    return &m_start;
}

bool SoundEngine::isAtRest() const
{
    return !m_playing && !m_prepared && !m_preparedLife.isActive();
}

bool SoundEngine::isReadyToPlay(const QString &path) const
{
    return m_prepared && m_prepared->requested() == path && m_prepared->isReady();
}

void SoundEngine::load(std::unique_ptr<SoundTrack> &slot, const QString &path, bool tone, bool atOnce)
{
    slot = std::make_unique<SoundTrack>(*this, path, tone);
    slot->setVolume(m_volume / 100.0);
    // Loading may find the file unplayable and put the tone in the slot.
    slot->load(m_limits.startMs, atOnce);
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
        load(m_prepared, path, path.isEmpty(), false);
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
        load(m_playing, path, path.isEmpty(), true);
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
    load(slot, requested, true, false);
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
