// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/events.h"

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QWidget>

namespace forms {

namespace detail {

EventHook::EventHook(QWidget *widget) : QObject(widget), m_widget(widget)
{
    widget->installEventFilter(this);
}

void EventHook::add(Kind kind, QObject *context, std::function<void()> call)
{
    m_routes.push_back({kind, context, std::move(call)});
    if (kind == Kind::MouseMove || kind == Kind::Click) {
        keepPointerEvents(m_widget);
        // A text field's pointer events arrive at its viewport.
        if (auto *area = qobject_cast<QAbstractScrollArea *>(m_widget))
            area->viewport()->installEventFilter(this);
    }
    if (kind == Kind::MouseMove) {
        m_widget->setMouseTracking(true);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(m_widget))
            area->viewport()->setMouseTracking(true);
    }
}

void EventHook::run(Kind kind)
{
    // A handler may destroy routes (and this hook with its widget): copy first.
    std::vector<std::function<void()>> calls;
    for (const Route &route : m_routes) {
        if (route.kind == kind && route.context)
            calls.push_back(route.call);
    }
    for (auto &call : calls)
        call();
}

bool EventHook::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        run(event->type() == QEvent::FocusIn ? Kind::FocusIn : Kind::FocusOut);
        break;
    }
    case QEvent::MouseMove:
        run(Kind::MouseMove);
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_pressed = true;
        break;
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_pressed) {
            m_pressed = false;
            if (m_widget->rect().contains(m_widget->mapFromGlobal(mouse->globalPosition().toPoint())))
                run(Kind::Click);
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace detail

EventRoute::EventRoute(QWidget *widget)
{
    m_hook = widget->findChild<detail::EventHook *>(QString(), Qt::FindDirectChildrenOnly);
    if (!m_hook)
        m_hook = new detail::EventHook(widget);
}

void keepPointerEvents(QWidget *widget)
{
    widget->setAttribute(Qt::WA_NoMousePropagation);
}

} // namespace forms
