// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QToolButton>
#include <QWidget>

namespace forms {

// One button of a command bar: its picture with its caption beneath, packed
// tightly enough for a bar as low as the picture and one line of text.
class CommandButton : public QToolButton
{
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};

// A row of buttons addressed by position from 1; a separator takes a
// position too but is only a gap, and reports no click. It stays where the
// window puts it, and none of its buttons shows a tooltip.
class CommandBar : public QWidget
{
    Q_OBJECT
public:
    explicit CommandBar(QWidget *parent);

    void setIconSize(QSize size) { m_iconSize = size; }
    QSize iconSize() const { return m_iconSize; }

    void addButton(const QIcon &picture, const QString &caption, const QString &accessibleName);
    void addGap();

    int count() const { return int(m_buttons.size()); }
    // Null for a separator or a position out of range.
    CommandButton *button(int position) const;

    // Width the buttons need side by side, with their separators.
    int neededWidth() const;

Q_SIGNALS:
    void buttonClick(int position);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void arrange();

    QSize m_iconSize{20, 20};
    QList<CommandButton *> m_buttons; // index = position - 1; null for gaps
};

} // namespace forms
