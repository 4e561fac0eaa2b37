// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/soundidentity.h"

#include <QByteArrayList>

#include <cstdlib>

namespace desktop {

namespace {

// The variables this program set, not the user.
QByteArrayList &setHere()
{
    static QByteArrayList names;
    return names;
}

// PulseAudio's client library (PipeWire's pulse server is reached through
// the same one) adds PULSE_PROP_<key> to what a program tells the server
// of itself where the program left the key unsaid, and
// PULSE_PROP_OVERRIDE_<key> in any case. Qt names every program
// "QtPulseAudio:<pid>", so the name takes the second; the server hands all
// of it on to each stream.
void addProperty(const QByteArray &key, const char *value, bool overQt)
{
    const QByteArray plain = "PULSE_PROP_" + key;
    const QByteArray override = "PULSE_PROP_OVERRIDE_" + key;
    if (qEnvironmentVariableIsSet(plain.constData()) || qEnvironmentVariableIsSet(override.constData()))
        return;
    const QByteArray &name = overQt ? override : plain;
    ::setenv(name.constData(), value, 0);
    setHere() << name;
}

} // namespace

void nameTheSoundForMixers(const char *name, const char *applicationId)
{
    addProperty("application.name", name, true);
    addProperty("application.id", applicationId, false);
    addProperty("application.icon_name", applicationId, false);
    // As GNOME's clock names its alarms: not "event", whose streams share
    // the volume of the desktop's own beeps and are left out of GNOME's
    // list of programs.
    addProperty("media.role", "alarm", false);
}

QProcessEnvironment environmentForOtherPrograms()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QByteArray &name : setHere())
        environment.remove(QString::fromLatin1(name));
    return environment;
}

} // namespace desktop
