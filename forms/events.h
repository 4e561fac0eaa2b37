// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QWidget;

namespace forms {

namespace detail {

// Lives as a child of the widget it watches and calls the handlers routed to it.
class EventHook : public QObject
{
    Q_OBJECT
public:
    enum class Kind { FocusIn, FocusOut, MouseMove, Click };

    explicit EventHook(QWidget *widget);
    void add(Kind kind, QObject *context, std::function<void()> call);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Route {
        Kind kind;
        QPointer<QObject> context;
        std::function<void()> call;
    };
    void run(Kind kind);

    QWidget *m_widget;
    std::vector<Route> m_routes;
    bool m_pressed = false;
};

} // namespace detail

// Turns a child's focus changes, pointer moves and clicks into calls of named
// handlers:  on(txttexto).focusIn(this, &frmob::txttexto_GotFocus);
//
// Focus that leaves for a drop-down's popup or for another program's window is
// not a change of focus within the window and calls nothing. A routed pointer
// move turns mouse tracking on (Qt reports moves without a pressed button only
// then) and stops there: the areas beneath do not see it too.
class EventRoute
{
public:
    explicit EventRoute(QWidget *widget);

    template<class C>
    EventRoute &focusIn(C *context, void (C::*handler)())
    {
        return add(detail::EventHook::Kind::FocusIn, context, handler);
    }
    template<class C>
    EventRoute &focusOut(C *context, void (C::*handler)())
    {
        return add(detail::EventHook::Kind::FocusOut, context, handler);
    }
    template<class C>
    EventRoute &mouseMove(C *context, void (C::*handler)())
    {
        return add(detail::EventHook::Kind::MouseMove, context, handler);
    }
    template<class C>
    EventRoute &click(C *context, void (C::*handler)())
    {
        return add(detail::EventHook::Kind::Click, context, handler);
    }

private:
    template<class C>
    EventRoute &add(detail::EventHook::Kind kind, C *context, void (C::*handler)())
    {
        m_hook->add(kind, context, [context, handler] { (context->*handler)(); });
        return *this;
    }

    detail::EventHook *m_hook;
};

inline EventRoute on(QWidget *widget)
{
    return EventRoute(widget);
}

// An area with no pointer handler of its own keeps pointer moves and clicks
// to itself instead of passing them to the area beneath.
void keepPointerEvents(QWidget *widget);

} // namespace forms
