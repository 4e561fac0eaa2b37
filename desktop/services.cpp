// SPDX-License-Identifier: GPL-3.0-or-later
// The interfaces between the program and the world outside it. This file
// gives the sound output's meta-object one home, shared by the program and
// by the sound module it loads.

#include "desktop/services.h"
