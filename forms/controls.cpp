// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/controls.h"

#include "forms/dialogfont.h"

#include <QComboBox>
#include <QLabel>

namespace forms {

void setUpSmallWindow(QWidget *window, const char *name, const QString &title, int width, int height)
{
    window->setObjectName(QString::fromUtf8(name));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    window->setFont(dialogFont());
    window->setFixedSize(tw(width), tw(height));
}

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = control<QLabel>(parent, name);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    return l;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    QLabel *l = label(parent, name, text);
    place(l, left, top, width, height);
    return l;
}

void nameForScreenReaders(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (!qobject_cast<QComboBox *>(control))
        return;
    QLabel *l = label(control->parentWidget(), (QStringLiteral("lbl") + control->objectName()).toUtf8().constData(), name);
    l->hide();
    l->setBuddy(control);
    // A screen reader that finds the label reads it instead of the list's
    // name, where Qt keeps the current item, and Qt 6.4 shows it no
    // selection to read the item from: the description carries the item,
    // which Orca speaks after the label when the list takes the focus.
    auto *list = static_cast<QComboBox *>(control);
    auto tell = [list] { list->setAccessibleDescription(list->currentText()); };
    QObject::connect(list, &QComboBox::currentTextChanged, list, tell);
    tell();
}

} // namespace forms
