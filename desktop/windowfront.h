// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace desktop {

// Puts a top-level window back on the screen in front of the others, from
// wherever it is: hidden in the tray, minimised, or behind other windows.
// The keyboard focus is asked for; the desktop may give it, or only mark the
// window as wanting attention.
void showInFront(QWidget *window);

} // namespace desktop
