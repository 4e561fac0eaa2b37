#include "platform/qtsoundoutput.h"

#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTemporaryFile>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace platform {

namespace {

bool looksPlayable(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable() && info.size() > 0;
}

void putLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QByteArray alarmToneWav()
{
    constexpr int rate = 22050;
    constexpr double beep = 0.14, gap = 0.06, pause = 0.25;
    QList<qint16> samples;
    auto tone = [&](double frequency, double seconds) {
        const int n = int(seconds * rate);
        const int fade = rate / 200; // 5 ms, so the beeps do not click
        for (int i = 0; i < n; ++i) {
            const double envelope = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
            const double s = std::sin(2 * std::numbers::pi * frequency * i / rate);
            samples.append(qint16(s * envelope * 0.6 * 32767));
        }
    };
    auto silence = [&](double seconds) { samples.append(QList<qint16>(int(seconds * rate), 0)); };
    for (int round = 0; round < 3; ++round) {
        tone(880, beep);
        silence(gap);
        tone(1320, beep);
        silence(gap);
        tone(880, beep);
        silence(pause);
    }

    QByteArray wav;
    const quint32 dataBytes = quint32(samples.size() * 2);
    wav.append("RIFF", 4);
    putLe32(wav, 36 + dataBytes);
    wav.append("WAVEfmt ", 8);
    putLe32(wav, 16);
    putLe16(wav, 1); // PCM
    putLe16(wav, 1); // mono
    putLe32(wav, rate);
    putLe32(wav, rate * 2);
    putLe16(wav, 2);
    putLe16(wav, 16);
    wav.append("data", 4);
    putLe32(wav, dataBytes);
    for (qint16 s : std::as_const(samples))
        putLe16(wav, quint16(s));
    return wav;
}

QtSoundOutput::QtSoundOutput(QObject *parent) : SoundOutput(parent) {}

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

void QtSoundOutput::load(const QUrl &source)
{
    if (m_player->source() != source)
        m_player->setSource(source);
}

void QtSoundOutput::start(const QUrl &source)
{
    if (m_player->source() == source) {
        // Already loaded: start again from the beginning without reloading.
        if (m_player->position() > 0 || m_player->playbackState() != QMediaPlayer::StoppedState)
            m_player->setPosition(0);
    } else {
        m_player->setSource(source);
    }
    m_player->play();
}

void QtSoundOutput::prepare(const QString &path)
{
    ensurePlayer();
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        return;
    m_playRequested = false;
    const QUrl source = QUrl::fromLocalFile(path);
    if (!looksPlayable(path) || source == m_unplayable)
        load(QUrl::fromLocalFile(tonePath()));
    else
        load(source);
}

void QtSoundOutput::play(const QString &path)
{
    ensurePlayer();
    m_requested = path;
    m_playRequested = true;
    m_failureHandled = false;
    const QUrl source = QUrl::fromLocalFile(path);
    if (!looksPlayable(path) || source == m_unplayable) {
        playTone(path);
        return;
    }
    start(source);
}

void QtSoundOutput::playTone(const QString &failedPath)
{
    m_failureHandled = true;
    start(QUrl::fromLocalFile(tonePath()));
    Q_EMIT fellBackToTone(failedPath);
}

void QtSoundOutput::onError()
{
    // One bad file is reported several times, and the tone itself is never
    // replaced by the tone: act once, on the file that was asked for.
    if (playsTone())
        return;
    m_unplayable = m_player->source();
    if (m_playRequested) {
        if (!m_failureHandled)
            playTone(m_requested);
    } else {
        load(QUrl::fromLocalFile(tonePath()));
    }
}

void QtSoundOutput::stop()
{
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
