// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace forms {

// The font of the program's windows. Their controls are sized for a small
// dialog font (a label line is 13 pixels high, "Digite a hora para
// Despertar:" has 136 pixels), so this is a condensed sans at a pixel size:
// it keeps its fit whatever dots per inch the screen claims, and Qt's own
// scaling enlarges it together with the windows on dense screens.
QFont dialogFont();

// The same family at another pixel size, bold and italic as asked.
QFont dialogFont(int pixelSize, bool bold = false, bool italic = false);

} // namespace forms
