// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm's sound: the tick reaches the player only through these.

#include "app/frmob.h"

#include "sound/mediaplayer.h"

void frmob::playSound(const QString &path)
{
    media->PlayFile(path);
}

void frmob::prepareSound(const QString &path)
{
    media->PrepareFile(path);
}
