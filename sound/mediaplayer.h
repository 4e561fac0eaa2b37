// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

class QSlider;
namespace desktop {
class SoundOutput;
}

// The sound player on the main window. Most of it lies beneath other
// controls; of what stays in sight, a band shows how far the current sound
// has played and a corner holds the volume slider.
class MediaPlayer : public QWidget
{
    Q_OBJECT
public:
    MediaPlayer(desktop::SoundOutput &output, QWidget *parent);

    // Plays the file from its start, replacing whatever plays, and returns at once.
    void PlayFile(const QString &path);
    void StopPlayback();
    // Gets ready for the file ahead of its use, so that playing it later
    // starts as soon as it can.
    void PrepareFile(const QString &path);

    // Where the player can be seen, in its own coordinates.
    void setVisibleParts(const QRect &band, const QRect &corner);

    QSlider *volumeSlider() const { return m_volume; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setPosition(qint64 position);
    void setDuration(qint64 duration);

    desktop::SoundOutput &m_output;
    QSlider *m_volume;
    QRect m_band;
    qint64 m_position = 0;
    qint64 m_duration = 0;
};
