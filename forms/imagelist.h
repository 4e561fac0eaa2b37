// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>

namespace forms {

// A list of pictures counted from 1 and also found by key. Whatever size a
// picture is drawn at, the list hands it out at its own picture size.
class ImageList
{
public:
    explicit ImageList(QSize imageSize);

    // Appends a picture drawn in an SVG file (usually a resource); an empty
    // key leaves the picture without one.
    void add(const QString &svgFile, const QString &key = {});

    int count() const { return int(m_images.size()); }
    QSize imageSize() const { return m_imageSize; }

    // position counts from 1; an unknown position or key gives a null icon.
    QIcon picture(int position) const;
    QIcon picture(const QString &key) const;
    int position(const QString &key) const;
    QString key(int position) const;

private:
    struct Image {
        QIcon icon;
        QString key;
    };
    QSize m_imageSize;
    QList<Image> m_images;
};

} // namespace forms
