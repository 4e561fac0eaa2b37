// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace forms {

// Window definitions measure in twips: 1440 to the inch, so fifteen make one
// logical pixel at 96 dpi. Qt scales logical pixels for high-density screens.
constexpr int tw(int twips)
{
    return twips >= 0 ? (twips * 2 + 15) / 30 : -((-twips * 2 + 15) / 30);
}

// Edges are rounded rather than sizes, so that controls defined edge to edge
// in twips stay edge to edge in pixels.
constexpr QRect twRect(int left, int top, int width, int height)
{
    return QRect(QPoint(tw(left), tw(top)), QPoint(tw(left + width) - 1, tw(top + height) - 1));
}

} // namespace forms
