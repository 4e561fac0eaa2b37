// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/x11hints.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace desktop {

namespace {

xcb_connection_t *x11Connection()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template<class Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr uint32_t motifFunctionsGiven = 1u << 0;
constexpr uint32_t motifAllFunctionsBut = 1u << 0; // the functions listed are the ones taken away
constexpr uint32_t motifMinimise = 1u << 3;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void addMinimiseFunction(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_atom_t atom = internAtom(connection, "_MOTIF_WM_HINTS");
    if (atom == XCB_ATOM_NONE)
        return;
    const XcbReply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, atom, atom, 0, 5), nullptr), &std::free);
    // Qt writes the hints as the window is made; without them every
    // function is granted anyway.
    uint32_t hints[5];
    if (!property || property->format != 32 || xcb_get_property_value_length(property.get()) != int(sizeof hints))
        return;
    std::memcpy(hints, xcb_get_property_value(property.get()), sizeof hints);
    if (!(hints[0] & motifFunctionsGiven))
        return;
    if (hints[1] & motifAllFunctionsBut)
        hints[1] &= ~motifMinimise;
    else
        hints[1] |= motifMinimise;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom, atom, 32, 5, hints);
    xcb_flush(connection);
}

// Qt writes the hints anew whenever it makes the native window again; each
// new one gets the function back before it is mapped.
class MinimiseFunction : public QObject
{
public:
    explicit MinimiseFunction(QWidget *window) : QObject(window) { window->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange)
            apply(static_cast<QWidget *>(watched));
        return false;
    }

    static void apply(QWidget *window)
    {
        xcb_connection_t *connection = x11Connection();
        if (connection && window->internalWinId())
            addMinimiseFunction(connection, xcb_window_t(window->internalWinId()));
    }
};

} // namespace

void createWithWindowClass(QWidget *window, const QString &windowClass)
{
    if (!x11Connection())
        return;
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(windowClass);
    window->winId();
    QCoreApplication::setApplicationName(name);
}

void keepMinimiseFunction(QWidget *window)
{
    new MinimiseFunction(window);
    MinimiseFunction::apply(window);
}

void keepOffTheTaskBar(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;
    // The window manager reads the states a window is mapped with; Qt adds
    // its own to the ones it finds there.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskbar);
    xcb_flush(connection);
}

QByteArray platformForSession(const QProcessEnvironment &environment)
{
    auto has = [&](const char *name) { return !environment.value(QLatin1String(name)).isEmpty(); };
    if (has("QT_QPA_PLATFORM") || !has("WAYLAND_DISPLAY") || !has("DISPLAY"))
        return {};
    // Ubuntu's session says "ubuntu:GNOME"; GNOME Classic "GNOME-Classic:GNOME".
    const QStringList desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'));
    for (const QLatin1String name : {QLatin1String("GNOME"), QLatin1String("KDE")}) {
        if (desktops.contains(name, Qt::CaseInsensitive))
            return QByteArrayLiteral("xcb");
    }
    return {};
}

} // namespace desktop
