// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace forms {

// The colours the windows are defined with, named by their role on the desktop
// rather than by value, so a light or a dark theme is followed.
enum class SysColor {
    WindowBackground, // the face of text fields
    WindowText,
    WindowFrame,
    InactiveTitleBar,
    InactiveBorder,
    ActiveTitleText,
    AppWorkspace,
    ButtonFace,
    ButtonText,
    Highlight,
    MenuText,
};

QColor systemColor(SysColor role);
QColor systemColor(SysColor role, const QPalette &palette);

// Paints a widget's face (a field's text area, a label's or a panel's
// background) or its text in a system colour.
void setBackground(QWidget *widget, SysColor role);
void setForeground(QWidget *widget, SysColor role);

} // namespace forms
