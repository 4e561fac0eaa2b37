// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/twips.h"

#include <QString>
#include <QWidget>

class QLabel;

namespace forms {

// Places a control as its window was drawn: left, top, width and height in
// twips within its container.
inline void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twRect(left, top, width, height));
}

// A control of a window's definition, made under its own name (which may
// have letters beyond ASCII) so that it can be found by it.
template<class W>
W *control(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

template<class W>
W *control(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    W *w = control<W>(parent, name);
    place(w, left, top, width, height);
    return w;
}

// A window of a fixed size with a title bar and a close button only, as the
// program's windows were drawn.
constexpr Qt::WindowFlags fixedWindowHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                             | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                             | Qt::MSWindowsFixedSizeDialogHint;

// The set-up of a small window the main one opens: its name and title, the
// dialog font and its size in twips, and it goes when it is closed.
void setUpSmallWindow(QWidget *window, const char *name, const QString &title, int width, int height);

// A label that shows its text as it stands, never as markup.
QLabel *label(QWidget *parent, const char *name, const QString &text);
QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height);

// The name a screen reader speaks for a control. On Linux a drop-down list
// is named by its current item, so a list's name also goes into a label
// that is never shown: the list is labelled by it, and screen readers speak
// the label, then the item, which the list's description carries.
void nameForScreenReaders(QWidget *control, const QString &name);

} // namespace forms
