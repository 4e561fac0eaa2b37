// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/mediaplayer.h"

#include "desktop/services.h"

#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

QString minutesAndSeconds(qint64 ms)
{
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

MediaPlayer::MediaPlayer(desktop::SoundOutput &output, QWidget *parent)
    : QWidget(parent), m_output(output), m_volume(new QSlider(Qt::Horizontal, this))
{
    m_volume->setObjectName(QStringLiteral("media_volume"));
    m_volume->setAccessibleName(QStringLiteral("Volume do som"));
    m_volume->setRange(0, 100);
    m_volume->setPageStep(10);
    m_volume->setValue(output.volume());
    m_volume->setFocusPolicy(Qt::StrongFocus);
    connect(m_volume, &QSlider::valueChanged, &m_output, &desktop::SoundOutput::setVolume);
    connect(&m_output, &desktop::SoundOutput::volumeChanged, m_volume, &QSlider::setValue);
    connect(&m_output, &desktop::SoundOutput::positionChanged, this, &MediaPlayer::setPosition);
    connect(&m_output, &desktop::SoundOutput::durationChanged, this, &MediaPlayer::setDuration);
    setFocusProxy(m_volume);
}

void MediaPlayer::PlayFile(const QString &path)
{
    m_output.play(path);
}

void MediaPlayer::StopPlayback()
{
    m_output.stop();
}

void MediaPlayer::PrepareFile(const QString &path)
{
    m_output.prepare(path);
}

void MediaPlayer::setVisibleParts(const QRect &band, const QRect &corner)
{
    m_band = band;
    m_volume->setGeometry(corner.adjusted(3, 2, -3, -2));
    update();
}

void MediaPlayer::setPosition(qint64 position)
{
    m_position = position;
    update(m_band);
}

void MediaPlayer::setDuration(qint64 duration)
{
    m_duration = duration;
    update(m_band);
}

void MediaPlayer::paintEvent(QPaintEvent *)
{
    if (m_band.isEmpty())
        return;
    QPainter painter(this);
    const QRect groove = m_band.adjusted(3, 3, -3, -3);

    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = groove;
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    painter.fillRect(groove, palette().base());
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);

    const QRect inside = groove.adjusted(1, 1, -1, -1);
    QRect filled = inside;
    filled.setWidth(0);
    if (m_duration > 0)
        filled.setWidth(int(inside.width() * std::clamp<qint64>(m_position, 0, m_duration) / m_duration));
    painter.fillRect(filled, palette().highlight());

    // The time reads in the highlight's own text colour where the band has
    // passed under it.
    const QString text = m_duration > 0 ? minutesAndSeconds(m_position) + QStringLiteral(" / ") + minutesAndSeconds(m_duration)
                                        : QStringLiteral("0:00");
    const QRect textRect = inside.adjusted(0, 0, -4, 0);
    painter.setClipRect(inside.adjusted(filled.width(), 0, 0, 0));
    painter.setPen(palette().text().color());
    painter.drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, text);
    painter.setClipRect(filled);
    painter.setPen(palette().highlightedText().color());
    painter.drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, text);
}
