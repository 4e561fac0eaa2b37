// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/iconmenu.h"

#include "forms/imagelist.h"

#include <QAction>
#include <QWidget>

namespace forms {

void IconMenu::attachMenus(QWidget *window)
{
    m_window = window;
}

void IconMenu::setIconList(const ImageList *list)
{
    m_list = list;
}

bool IconMenu::setItemIcon(const QString &itemName, int imageIndex)
{
    if (!m_window || !m_list)
        return false;
    auto *item = m_window->findChild<QAction *>(itemName);
    const QIcon icon = m_list->picture(imageIndex + 1);
    if (!item || icon.isNull())
        return false;
    item->setIcon(icon);
    item->setIconVisibleInMenu(true);
    return true;
}

} // namespace forms
