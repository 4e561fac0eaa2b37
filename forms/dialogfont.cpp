// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/dialogfont.h"

#include <QStringList>

namespace forms {

QFont dialogFont(int pixelSize, bool bold, bool italic)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont dialogFont()
{
    return dialogFont(10);
}

} // namespace forms
