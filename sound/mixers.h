// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A program that shows the sound's volume controls, as it is started.
struct MixerCommand {
    QString program;
    QStringList arguments;
    bool operator==(const MixerCommand &) const = default;
};

// The volume controls Volume tries, in order, on the desktop named as in
// XDG_CURRENT_DESKTOP (names separated by colons, the most specific first,
// in any letter case): the original Windows one, then the desktop's own
// sound settings, then the mixers that work on any desktop.
QList<MixerCommand> volumeControlsFor(const QString &desktop);
