// SPDX-License-Identifier: GPL-3.0-or-later
// The facts of the current sound, kept in the hidden information window.

#include "app/frmob.h"

#include "sound/frmmusica.h"
#include "sound/soundfacts.h"

#include <QComboBox>

void frmob::cmbdir_Click()
{
    RefreshSoundInfo(cmbdir->currentText());
}

void frmob::RefreshSoundInfo(const QString &path)
{
    soundInformation().setFacts(soundFacts(path));
}
