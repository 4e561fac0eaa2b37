// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/simplestatusbar.h"

#include <QLabel>

namespace forms {

SimpleStatusBar::SimpleStatusBar(QWidget *parent) : QStatusBar(parent), m_text(new QLabel(this))
{
    setSizeGripEnabled(false);
    m_text->setObjectName(QStringLiteral("simpleText"));
    m_text->setTextFormat(Qt::PlainText);
    // A hint may begin with a blank; show it as it is.
    m_text->setIndent(2);
    addWidget(m_text, 1);
}

void SimpleStatusBar::setSimpleText(const QString &text)
{
    m_text->setText(text);
}

QString SimpleStatusBar::simpleText() const
{
    return m_text->text();
}

} // namespace forms
