// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

namespace platform {

// Makes the program's first window with the given window class, which X11
// window managers, task bars and docks read as Latin-1 and match against the
// desktop entry. Qt takes the class from the application name, once, when it
// makes its first window, and writes it as UTF-8; every later window shares
// it. The application name is what it was again afterwards. Elsewhere than on
// X11 nothing happens.
void createWithWindowClass(QWidget *window, const QString &windowClass);

// The window keeps the decorations its flags give it, so no minimise button
// where it has none, but window managers that honour Motif hints still let
// it be minimised by every other means they offer (the task bar, keys, the
// program's own request). Qt grants the minimise function only with the
// button. Holds for every native window the widget is given; X11 only.
void keepMinimiseFunction(QWidget *window);

} // namespace platform
