// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/windowfront.h"

#include <QGuiApplication>
#include <QWidget>

namespace desktop {

void showInFront(QWidget *window)
{
    // xdg-shell lets a client minimise its window but has no request to
    // restore it or to raise it, and the compositor never says that it has
    // minimised one: on Wayland a window that is not the active one may be
    // minimised without Qt knowing. Mapping it anew is the way back that every
    // compositor honours; it then comes up as a new window, on top.
    if (window->isVisible() && !window->isActiveWindow()
        && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        window->hide();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    // On Wayland Qt asks through xdg-activation, where the compositor has it.
    window->activateWindow();
}

} // namespace desktop
