// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QByteArray;
class QProcessEnvironment;
class QString;
class QWidget;

namespace desktop {

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

// A window shown without a parent, such as a message box that places itself,
// would otherwise get a task bar entry of its own beside the program's
// window (Plasma's, Xfce's). Mutter keeps one for any dialog of no window,
// whatever it asks; GNOME shows it only in GNOME Classic's window list.
// Before the window is shown; X11 only.
void keepOffTheTaskBar(QWidget *window);

// The Qt platform the program asks for in a session like the one described:
// "xcb" on a GNOME or Plasma Wayland session that has XWayland. GNOME draws
// no title bar for a Wayland window; neither lets a Wayland window place
// itself or its message box, and both centre the box on the window, over
// the time. An X11 window gets the desktop's own title bar and the places
// the program asks for. Empty where Qt's own choice stands, and always where
// the user made one.
QByteArray platformForSession(const QProcessEnvironment &environment);

} // namespace desktop
