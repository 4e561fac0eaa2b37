// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the sound information window shows of a path: the facts of the file
// it names, in the texts the window shows them in.
struct SoundFacts {
    QString name;       // the file's own name, looked up as an ordinary file; empty if not found
    QString extension;  // the last four letters of that name, in capitals
    QString size;       // in bytes
    QString modified;   // the day and the time of the last change, as the user's region writes them
    QString attributes; // a name for the values that have one, else the number
    QString path;       // the path as given
};

// Reads the file system: only where the user has just chosen the path.
SoundFacts soundFacts(const QString &path);
