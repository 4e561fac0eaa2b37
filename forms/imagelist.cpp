// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/imagelist.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace forms {

namespace {

// A picture drawn from its SVG file the first time it is shown at a size,
// and kept. Most pictures of the list are never shown in a run, and those
// that are, only at one or two sizes: nothing is drawn at start-up that is
// not seen.
class SvgPicture : public QIconEngine
{
public:
    SvgPicture(QString file, QSize size) : m_file(std::move(file)), m_size(size) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap drawn = scaledPixmap(rect.size(), mode, state, scale);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const QSize pixels = size * scale;
        const quint64 key = (quint64(pixels.width()) << 32) | (quint64(pixels.height()) << 2) | quint64(mode & 3);
        auto found = m_drawn.constFind(key);
        if (found != m_drawn.constEnd())
            return *found;
        QPixmap drawn(pixels);
        drawn.fill(Qt::transparent);
        QSvgRenderer renderer(m_file);
        if (renderer.isValid()) {
            QPainter painter(&drawn);
            renderer.render(&painter);
        }
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            drawn = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
        }
        drawn.setDevicePixelRatio(scale);
        m_drawn.insert(key, drawn);
        return drawn;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {m_size}; }
    QSize actualSize(const QSize &, QIcon::Mode, QIcon::State) override { return m_size; }
    QIconEngine *clone() const override { return new SvgPicture(m_file, m_size); }
    QString key() const override { return QStringLiteral("relogio-svg-picture"); }

private:
    QString m_file;
    QSize m_size;
    QHash<quint64, QPixmap> m_drawn;
};

} // namespace

ImageList::ImageList(QSize imageSize) : m_imageSize(imageSize) {}

void ImageList::add(const QString &svgFile, const QString &key)
{
    // Handed out at the list's size, whatever size it was drawn for.
    m_images.append({QIcon(new SvgPicture(svgFile, m_imageSize)), key});
}

QIcon ImageList::picture(int position) const
{
    if (position < 1 || position > count())
        return {};
    return m_images.at(position - 1).icon;
}

QIcon ImageList::picture(const QString &key) const
{
    return picture(position(key));
}

int ImageList::position(const QString &key) const
{
    if (key.isEmpty())
        return 0;
    for (int i = 0; i < count(); ++i) {
        if (m_images.at(i).key == key)
            return i + 1;
    }
    return 0;
}

QString ImageList::key(int position) const
{
    if (position < 1 || position > count())
        return {};
    return m_images.at(position - 1).key;
}

} // namespace forms
