// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/frmmusica.h"

#include "forms/controls.h"
#include "forms/dialogfont.h"
#include "sound/soundfacts.h"

#include <QFrame>
#include <QLabel>

using forms::tw;

namespace {

// The window holds six pairs of labels, a title above a value, all as wide.
QLabel *title(QWidget *frame, const char *name, const QString &text, int top)
{
    return forms::label(frame, name, text, 120, top, 3375, 195);
}

QLabel *value(QWidget *frame, const char *name, int top, int height = 255)
{
    QLabel *l = forms::label(frame, name, QString(), 120, top, 3375, height);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

} // namespace

frmmusica::frmmusica(QWidget *parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmmusica"));
    setWindowTitle(QStringLiteral("Informações da Música"));
    setFont(forms::dialogFont());
    setFixedSize(tw(3915), tw(4335));

    fraarquivo = forms::control<QFrame>(this, "fraarquivo", 120, 0, 3735, 4215);
    fraarquivo->setFrameStyle(QFrame::Box | QFrame::Sunken);

    lbltitulonomedoarquivo = title(fraarquivo, "lbltitulonomedoarquivo", QStringLiteral("Nome do Arquivo"), 240);
    lblnome = value(fraarquivo, "lblnome", 480);
    lbltituloextensão = title(fraarquivo, "lbltituloextensão", QStringLiteral("Extensão"), 840);
    lblextensao = value(fraarquivo, "lblextensao", 1080);
    lbltitulotamanho = title(fraarquivo, "lbltitulotamanho", QStringLiteral("Tamanho (bytes)"), 1440);
    lbltamanho = value(fraarquivo, "lbltamanho", 1680);
    lbltituloultimaatualização =
        title(fraarquivo, "lbltituloultimaatualização", QStringLiteral("Ultima Atualização:"), 2040);
    lblatualizaçao = value(fraarquivo, "lblatualizaçao", 2280);
    lbltituloatributos = title(fraarquivo, "lbltituloatributos", QStringLiteral("Atributos"), 2640);
    lblatributos = value(fraarquivo, "lblatributos", 2880);
    lbltitulodir = title(fraarquivo, "lbltitulodir", QStringLiteral("Diretório"), 3240);
    lbldir = value(fraarquivo, "lbldir", 3480, 615);
    lbldir->setWordWrap(true);
    lbldir->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmmusica::setFacts(const SoundFacts &facts)
{
    lbldir->setText(facts.path);
    lblnome->setText(facts.name);
    lblextensao->setText(facts.extension);
    lbltamanho->setText(facts.size);
    lblatualizaçao->setText(facts.modified);
    lblatributos->setText(facts.attributes);
}
