// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStatusBar>

class QLabel;

namespace forms {

// A status bar that shows one line of text across its whole width. The text
// lives in a label of its own, so menu status tips never wipe it, and it is
// kept while the bar is hidden.
class SimpleStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit SimpleStatusBar(QWidget *parent);

    void setSimpleText(const QString &text);
    QString simpleText() const;

private:
    QLabel *m_text;
};

} // namespace forms
