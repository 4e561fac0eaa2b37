// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace forms {

class ImageList;

// Puts pictures beside the items of a window's menus. Items are found by
// their object name, pictures by their number in the image list counted from 0.
class IconMenu
{
public:
    void attachMenus(QWidget *window);
    void setIconList(const ImageList *list);
    // Returns false when the window has no item of that name or the list no such picture.
    bool setItemIcon(const QString &itemName, int imageIndex);

private:
    QPointer<QWidget> m_window;
    const ImageList *m_list = nullptr;
};

} // namespace forms
