#pragma once

#include "platform/services.h"

#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <memory>

class QAudioOutput;
class QTemporaryFile;

namespace platform {

// Plays sound files through QMediaPlayer. The multimedia stack is brought
// up only when a sound is first prepared or played, so a clock that never
// rings costs no more than its window.
class QtSoundOutput : public SoundOutput
{
    Q_OBJECT
public:
    explicit QtSoundOutput(QObject *parent = nullptr);
    ~QtSoundOutput() override;

    void play(const QString &path) override;
    void stop() override;
    void prepare(const QString &path) override;
    int volume() const override { return m_volume; }
    void setVolume(int volume) override;

    // For tests and measurements.
    bool isStarted() const { return m_player != nullptr; }
    QMediaPlayer *player() const { return m_player; }
    bool playsTone() const;
    bool knownUnplayable(const QString &path) const;
    QString tonePath();

Q_SIGNALS:
    // A play request could not be honoured with the file and the tone took
    // its place.
    void fellBackToTone(const QString &path);

private:
    void ensurePlayer();
    void start(const QUrl &source);
    void playTone(const QString &failedPath);
    void onStatus(QMediaPlayer::MediaStatus status);
    void onError();
    void onSilence();
    void endProbe();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    std::unique_ptr<QTemporaryFile> m_tone;
    QSet<QUrl> m_unplayable; // files that failed to load; the tone plays for them
    QUrl m_probing;          // a file being tried ahead of its use
    QUrl m_probed;           // the last file tried, and when
    QElapsedTimer m_probedAt;
    QString m_requested;     // what the last play() asked for
    QTimer m_watchdog;       // a file that neither plays nor fails
    bool m_playRequested = false;
    bool m_failureHandled = false;
    int m_volume = 100;
};

} // namespace platform
