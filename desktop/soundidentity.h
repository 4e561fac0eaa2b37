// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>

namespace desktop {

// Names the program's sound where the desktop's mixers list it (GNOME's and
// Plasma's sound settings, pavucontrol): its name, its application id and
// the icon installed under that id, and the role of an alarm. The sound library reads them from the environment when the
// first sound connects, on the sound's own thread, so this runs before any
// thread starts. What the user's environment already says of them stands.
void nameTheSoundForMixers(const char *name, const char *applicationId);

// The environment for the programs the clock starts, without what
// nameTheSoundForMixers() added: a mixer started from here is not named
// after the clock.
QProcessEnvironment environmentForOtherPrograms();

} // namespace desktop
