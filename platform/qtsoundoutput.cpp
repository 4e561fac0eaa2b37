#include "platform/qtsoundoutput.h"

#include "platform/tone.h"

#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTemporaryFile>

namespace platform {

namespace {

bool looksPlayable(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable() && info.size() > 0;
}

} // namespace

// How long a file may take to start before the tone plays instead. Some
// damaged files neither play nor fail: the player waits on them for ever.
constexpr int startLimitMs = 2500;

QtSoundOutput::QtSoundOutput(QObject *parent) : SoundOutput(parent)
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(startLimitMs);
    connect(&m_watchdog, &QTimer::timeout, this, &QtSoundOutput::onSilence);
}

QtSoundOutput::~QtSoundOutput()
{
    if (m_player)
        m_player->stop();
}

void QtSoundOutput::ensurePlayer()
{
    if (m_player)
        return;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_output->setVolume(float(m_volume) / 100.0f);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::positionChanged, this, &SoundOutput::positionChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &SoundOutput::durationChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this, &QtSoundOutput::onError);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &QtSoundOutput::onStatus);
}

QString QtSoundOutput::tonePath()
{
    if (!m_tone) {
        m_tone = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/relogio-tone-XXXXXX.wav"));
        if (m_tone->open()) {
            m_tone->write(alarmToneWav());
            m_tone->flush();
        }
    }
    return m_tone->fileName();
}

bool QtSoundOutput::playsTone() const
{
    return m_player && m_tone && m_player->source() == QUrl::fromLocalFile(m_tone->fileName());
}

bool QtSoundOutput::knownUnplayable(const QString &path) const
{
    return m_unplayable.contains(QUrl::fromLocalFile(path));
}

void QtSoundOutput::start(const QUrl &source)
{
    // Always from a freshly loaded source. With Qt 6.4 over GStreamer a
    // pipeline that was loaded and then waited starts its sound as much later
    // as it waited, so a sound loaded ahead would begin seconds late.
    m_probing.clear();
    if (m_player->source() == source)
        m_player->setSource(QUrl());
    m_player->setSource(source);
    m_player->play();
}

void QtSoundOutput::prepare(const QString &path)
{
    // Brings the multimedia stack up and tries the file, so that a file that
    // cannot be played is known before it is needed and the tone starts at
    // once in its place.
    ensurePlayer();
    const QUrl source = QUrl::fromLocalFile(path);
    const bool triedLately = source == m_probed && m_probedAt.isValid() && m_probedAt.elapsed() < 60000;
    if (m_player->playbackState() == QMediaPlayer::PlayingState || !looksPlayable(path) || source == m_probing
        || triedLately)
        return;
    m_playRequested = false;
    m_probing = source;
    m_player->setSource(m_probing);
}

void QtSoundOutput::play(const QString &path)
{
    ensurePlayer();
    m_requested = path;
    m_playRequested = true;
    m_failureHandled = false;
    if (!looksPlayable(path) || knownUnplayable(path)) {
        playTone(path);
        return;
    }
    start(QUrl::fromLocalFile(path));
    m_watchdog.start();
}

void QtSoundOutput::playTone(const QString &failedPath)
{
    m_watchdog.stop();
    m_failureHandled = true;
    start(QUrl::fromLocalFile(tonePath()));
    Q_EMIT fellBackToTone(failedPath);
}

void QtSoundOutput::onStatus(QMediaPlayer::MediaStatus status)
{
    // A file tried ahead has loaded: it plays. Let it go again, so that no
    // sound stream waits open on the desktop's sound server for hours.
    if (status == QMediaPlayer::InvalidMedia) {
        onError();
        return;
    }
    if (status == QMediaPlayer::LoadedMedia && !m_probing.isEmpty() && m_player->source() == m_probing) {
        m_unplayable.remove(m_probing);
        endProbe();
    }
}

void QtSoundOutput::endProbe()
{
    m_probed = m_probing;
    m_probedAt.start();
    m_probing.clear();
    m_player->setSource(QUrl());
}

void QtSoundOutput::onError()
{
    // One bad file is reported several times, and the tone itself is never
    // replaced by the tone: act once, on the file that was asked for.
    if (playsTone() || m_player->source().isEmpty())
        return;
    m_unplayable.insert(m_player->source());
    if (!m_probing.isEmpty())
        endProbe();
    else if (m_playRequested && !m_failureHandled)
        playTone(m_requested);
}

void QtSoundOutput::onSilence()
{
    // Not marked as unplayable: a file on a disk that is slow to wake is fine
    // the next time.
    const bool started = m_player->position() > 0 || m_player->mediaStatus() == QMediaPlayer::EndOfMedia;
    if (m_playRequested && !m_failureHandled && !started
        && m_player->source() == QUrl::fromLocalFile(m_requested))
        playTone(m_requested);
}

void QtSoundOutput::stop()
{
    m_watchdog.stop();
    if (m_player)
        m_player->stop();
}

void QtSoundOutput::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    if (m_output)
        m_output->setVolume(float(volume) / 100.0f);
    Q_EMIT volumeChanged(volume);
}

} // namespace platform

extern "C" Q_DECL_EXPORT platform::SoundOutput *relogio_create_sound_output()
{
    return new platform::QtSoundOutput();
}
