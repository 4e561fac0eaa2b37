// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// Where a path joins the sound list, which keeps its entries in
// alphabetical order, letter case ignored: after every entry that sorts
// before it or equal to it, so a path chosen twice is there twice, the
// newer below.
int sortedPosition(const QStringList &entries, const QString &path);
