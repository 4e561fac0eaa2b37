// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/commandbar.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace forms {

namespace {

constexpr int buttonPadding = 2; // each side of the caption
constexpr int gapWidth = 5;
constexpr int barMargin = 0;

} // namespace

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The raised panel of a hovered or pressed button, from the style...
    if (option.state & (QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On))
        painter.drawPrimitive(QStyle::PE_PanelButtonTool, option);
    // ...and the picture and caption laid out here, close together.
    const QSize icon = iconSize();
    const int shift = (option.state & QStyle::State_Sunken) ? 1 : 0;
    const QRect iconRect(QPoint((width() - icon.width()) / 2 + shift, shift), icon);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    this->icon().paint(&painter, iconRect, Qt::AlignCenter, mode);
    const QRect textRect(shift, iconRect.bottom() + 1 - shift, width(), height() - iconRect.bottom() - 1 + shift);
    painter.drawItemText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::ButtonText);
}

bool CommandButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return true; // the buttons have no tooltips
    return QToolButton::event(event);
}

CommandBar::CommandBar(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CommandBar::addButton(const QIcon &picture, const QString &caption, const QString &accessibleName)
{
    const int position = count() + 1;
    auto *b = new CommandButton(this);
    b->setObjectName(QStringLiteral("%1_button%2").arg(objectName()).arg(position));
    b->setIcon(picture);
    b->setIconSize(m_iconSize);
    b->setText(caption);
    b->setAccessibleName(accessibleName);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(b, &QToolButton::clicked, this, [this, position] { Q_EMIT buttonClick(position); });
    m_buttons.append(b);
    arrange();
}

void CommandBar::addGap()
{
    m_buttons.append(nullptr);
    arrange();
}

CommandButton *CommandBar::button(int position) const
{
    if (position < 1 || position > count())
        return nullptr;
    return m_buttons.at(position - 1);
}

int CommandBar::neededWidth() const
{
    const QFontMetrics metrics(font());
    int x = barMargin;
    for (const CommandButton *b : m_buttons) {
        x += b ? std::max(m_iconSize.width() + 2 * buttonPadding,
                          metrics.horizontalAdvance(b->text()) + 2 * buttonPadding)
               : gapWidth;
    }
    return x + barMargin;
}

void CommandBar::arrange()
{
    // What the bar has to spare is shared out among the buttons.
    const QFontMetrics metrics(font());
    const int buttons = int(m_buttons.size() - m_buttons.count(nullptr));
    const int extra = buttons > 0 ? std::max(0, width() - neededWidth()) / buttons : 0;
    int x = barMargin;
    for (CommandButton *b : std::as_const(m_buttons)) {
        if (!b) {
            x += gapWidth;
            continue;
        }
        const int w = std::max(m_iconSize.width() + 2 * buttonPadding,
                               metrics.horizontalAdvance(b->text()) + 2 * buttonPadding)
                      + extra;
        b->setGeometry(x, barMargin, w, height() - 2 * barMargin);
        x += w;
    }
    update();
}

void CommandBar::resizeEvent(QResizeEvent *)
{
    arrange();
}

void CommandBar::paintEvent(QPaintEvent *)
{
    // Each separator is an engraved upright line in the middle of its gap.
    QPainter painter(this);
    int x = barMargin;
    for (const CommandButton *b : std::as_const(m_buttons)) {
        if (b) {
            x += b->width();
            continue;
        }
        const int mid = x + gapWidth / 2 - 1;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(mid, 4, mid, height() - 5);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(mid + 1, 4, mid + 1, height() - 5);
        x += gapWidth;
    }
}

} // namespace forms
