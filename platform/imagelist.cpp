#include "platform/imagelist.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace platform {

ImageList::ImageList(QSize imageSize) : m_imageSize(imageSize) {}

void ImageList::add(const QString &svgFile, const QString &key)
{
    QSvgRenderer renderer(svgFile);
    QIcon icon;
    // Rendered at the list's size, and at twice and thrice that for dense screens.
    for (int scale : {1, 2, 3}) {
        QPixmap pixmap(m_imageSize * scale);
        pixmap.fill(Qt::transparent);
        if (renderer.isValid()) {
            QPainter painter(&pixmap);
            renderer.render(&painter);
        }
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    m_images.append({icon, key});
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

} // namespace platform
