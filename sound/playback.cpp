// Play, Stop and the desktop's volume control.

#include "app/frmob.h"

#include "sound/mediaplayer.h"

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

struct Mixer {
    const char *program;
    QStringList arguments;
};

// The volume control of Windows where it is there; on Linux the first
// mixer found of: PulseAudio's own (also on PipeWire), PipeWire's, GNOME's
// sound settings, Plasma's audio settings.
const Mixer mixers[] = {
    {"C:\\Windows\\Sndvol32.exe", {}},
    {"pavucontrol", {}},
    {"pwvucontrol", {}},
    {"gnome-control-center", {QStringLiteral("sound")}},
    {"systemsettings", {QStringLiteral("kcm_pulseaudio")}},
    {"kcmshell6", {QStringLiteral("kcm_pulseaudio")}},
    {"kcmshell5", {QStringLiteral("kcm_pulseaudio")}},
};

} // namespace

void frmob::menuvolume_Click()
{
    // Each use starts one more, without waiting for it.
    QStringList lookedFor;
    for (const Mixer &mixer : mixers) {
        const QString name = QString::fromUtf8(mixer.program);
        lookedFor << (mixer.arguments.isEmpty() ? name : name + QLatin1Char(' ') + mixer.arguments.join(u' '));
        const QString program = m_services.launcher.findProgram(name);
        if (!program.isEmpty() && m_services.launcher.startDetached(program, mixer.arguments))
            return;
    }
    m_services.messageBox.exclamation(
        this, caption,
        QStringLiteral("Nenhum controle de volume pôde ser aberto.\n\nProcurados: %1.")
            .arg(lookedFor.join(QStringLiteral(", "))));
}
