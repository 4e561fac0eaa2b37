// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace soundengine {

// What the sound did and why, for whoever runs the clock from a terminal:
// why a file could not play and when the tone stood in for it are
// warnings, shown unless turned off; the rest is debug output, shown with
// QT_LOGGING_RULES="relogio.sound.debug=true".
inline const QLoggingCategory &soundLog()
{
    static const QLoggingCategory category("relogio.sound", QtWarningMsg);
    return category;
}

} // namespace soundengine
