// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/syscolors.h"

#include <QApplication>
#include <QWidget>

namespace forms {

namespace {

QColor blend(const QColor &a, const QColor &b, qreal share)
{
    return QColor::fromRgbF(a.redF() * (1 - share) + b.redF() * share,
                            a.greenF() * (1 - share) + b.greenF() * share,
                            a.blueF() * (1 - share) + b.blueF() * share);
}

// The palette roles a widget paints its face with: text fields use Base, a
// drop-down list its button face and its open list, everything else Window.
QList<QPalette::ColorRole> faceRolesOf(const QWidget *widget)
{
    if (widget->inherits("QComboBox"))
        return {QPalette::Button, QPalette::Base};
    if (widget->inherits("QAbstractScrollArea") || widget->inherits("QLineEdit"))
        return {QPalette::Base};
    return {QPalette::Window};
}

} // namespace

QColor systemColor(SysColor role)
{
    return systemColor(role, QApplication::palette());
}

QColor systemColor(SysColor role, const QPalette &p)
{
    switch (role) {
    case SysColor::WindowBackground:
        return p.color(QPalette::Active, QPalette::Base);
    case SysColor::WindowText:
    case SysColor::WindowFrame:
    case SysColor::MenuText:
        return p.color(QPalette::Active, QPalette::WindowText);
    case SysColor::InactiveTitleBar:
        // A quiet tint of the selection colour: clearly a field at rest, and
        // plainly different from the field's own colour once it has the focus.
        return blend(p.color(QPalette::Active, QPalette::Base),
                     p.color(QPalette::Inactive, QPalette::Highlight), 0.22);
    case SysColor::InactiveBorder:
    case SysColor::ButtonFace:
        return p.color(QPalette::Active, QPalette::Button);
    case SysColor::ActiveTitleText:
        return p.color(QPalette::Active, QPalette::HighlightedText);
    case SysColor::AppWorkspace:
        return p.color(QPalette::Active, QPalette::Mid);
    case SysColor::ButtonText:
        return p.color(QPalette::Active, QPalette::ButtonText);
    case SysColor::Highlight:
        return p.color(QPalette::Active, QPalette::Highlight);
    }
    return {};
}

void setBackground(QWidget *widget, SysColor role)
{
    QPalette p = widget->palette();
    const QColor c = systemColor(role);
    const auto roles = faceRolesOf(widget);
    for (auto paletteRole : roles) {
        for (auto group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, paletteRole, c);
    }
    widget->setPalette(p);
    if (roles.contains(QPalette::Window))
        widget->setAutoFillBackground(true);
}

void setForeground(QWidget *widget, SysColor role)
{
    QPalette p = widget->palette();
    const QColor c = systemColor(role);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, c);
        p.setColor(group, QPalette::Text, c);
    }
    widget->setPalette(p);
}

} // namespace forms
