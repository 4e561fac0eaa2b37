// SPDX-License-Identifier: GPL-3.0-or-later
// Play, Stop and the desktop's volume control.

#include "app/frmob.h"

#include "sound/mediaplayer.h"
#include "sound/mixers.h"

#include <QComboBox>

void frmob::menutocar_Click()
{
    media->PlayFile(cmbdir->currentText());
}

void frmob::menuparar_Click()
{
    media->StopPlayback();
}

namespace {

struct KnownMixer {
    const char *desktop; // as named in XDG_CURRENT_DESKTOP; null: any desktop
    const char *program;
    const char *argument; // null: none
};

// Each desktop's own sound settings, as its menus start them, and then the
// mixers that work anywhere: PulseAudio's (also on PipeWire), PipeWire's,
// and the Qt one of LXQt. GNOME's settings quit at once outside GNOME, so
// they are only tried there.
const KnownMixer knownMixers[] = {
    {"GNOME", "gnome-control-center", "sound"},
    {"Budgie", "budgie-control-center", "sound"},
    {"KDE", "systemsettings", "kcm_pulseaudio"}, // Plasma 5.27 and 6
    {"KDE", "kcmshell6", "kcm_pulseaudio"},
    {"KDE", "kcmshell5", "kcm_pulseaudio"}, // older Plasma 5
    {"X-Cinnamon", "cinnamon-settings", "sound"},
    {"MATE", "mate-volume-control", nullptr},
    {"XFCE", "pavucontrol", nullptr},
    {"LXDE", "pavucontrol", nullptr},
    {"LXQt", "pavucontrol-qt", nullptr},
    {nullptr, "pavucontrol", nullptr},
    {nullptr, "pwvucontrol", nullptr},
    {nullptr, "pavucontrol-qt", nullptr},
};

MixerCommand commandOf(const KnownMixer &mixer)
{
    MixerCommand command{QString::fromUtf8(mixer.program), {}};
    if (mixer.argument)
        command.arguments << QString::fromUtf8(mixer.argument);
    return command;
}

} // namespace

QList<MixerCommand> volumeControlsFor(const QString &desktop)
{
    QList<MixerCommand> controls{{QStringLiteral("C:\\Windows\\Sndvol32.exe"), {}}};
    auto add = [&controls](const KnownMixer &mixer) {
        const MixerCommand command = commandOf(mixer);
        if (!controls.contains(command))
            controls << command;
    };
    for (const QString &name : desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const KnownMixer &mixer : knownMixers) {
            if (mixer.desktop && name.compare(QLatin1String(mixer.desktop), Qt::CaseInsensitive) == 0)
                add(mixer);
        }
    }
    for (const KnownMixer &mixer : knownMixers) {
        if (!mixer.desktop)
            add(mixer);
    }
    return controls;
}

void frmob::menuvolume_Click()
{
    // The desktop is read at each use, where the user asks for it. Each use
    // starts one more, without waiting for it.
    QStringList lookedFor;
    for (const MixerCommand &mixer : volumeControlsFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
        lookedFor << (QStringList{mixer.program} + mixer.arguments).join(u' ');
        const QString program = m_services.launcher.findProgram(mixer.program);
        if (!program.isEmpty() && m_services.launcher.startDetached(program, mixer.arguments))
            return;
    }
    m_services.messageBox.exclamation(
        this, caption,
        QStringLiteral("Nenhum controle de volume pôde ser aberto.\n\nProcurados: %1.")
            .arg(lookedFor.join(QStringLiteral(", "))));
}
