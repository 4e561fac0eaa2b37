#pragma once

#include "platform/services.h"

#include <QUrl>

#include <memory>

class QAudioOutput;
class QMediaPlayer;
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
    QString tonePath();

Q_SIGNALS:
    // A play request could not be honoured with the file and the tone took its place.
    void fellBackToTone(const QString &path);

private:
    void ensurePlayer();
    void load(const QUrl &source);
    void start(const QUrl &source);
    void playTone(const QString &failedPath);
    void onError();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    std::unique_ptr<QTemporaryFile> m_tone;
    QUrl m_unplayable;      // a source that failed to load; played as the tone
    QString m_requested;    // what the last play() asked for
    bool m_playRequested = false;
    bool m_failureHandled = false;
    int m_volume = 100;
};

// A short alarm tone of our own, as a complete WAV file: beeps at 880 and
// 1320 Hz, about 1.6 seconds.
QByteArray alarmToneWav();

} // namespace platform
