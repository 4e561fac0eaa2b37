#include "sound/frmmusica.h"

#include "platform/dialogfont.h"
#include "platform/twips.h"

#include <QFrame>
#include <QLabel>

using platform::tw;
using platform::twRect;

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, int top, int height)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(twRect(120, top, 3375, height));
    return l;
}

QLabel *valueLabel(QWidget *parent, const QString &name, int top, int height = 255)
{
    QLabel *l = makeLabel(parent, name, QString(), top, height);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

} // namespace

frmmusica::frmmusica(QWidget *parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmmusica"));
    setWindowTitle(QStringLiteral("Informações da Música"));
    setFont(platform::dialogFont());
    setFixedSize(tw(3915), tw(4335));

    fraarquivo = new QFrame(this);
    fraarquivo->setObjectName(QStringLiteral("fraarquivo"));
    fraarquivo->setFrameStyle(QFrame::Box | QFrame::Sunken);
    fraarquivo->setGeometry(twRect(120, 0, 3735, 4215));

    auto title = [this](const char *name, const QString &text, int top) {
        return makeLabel(fraarquivo, QString::fromUtf8(name), text, top, 195);
    };
    lbltitulonomedoarquivo = title("lbltitulonomedoarquivo", QStringLiteral("Nome do Arquivo"), 240);
    lblnome = valueLabel(fraarquivo, QStringLiteral("lblnome"), 480);
    lbltituloextensão = title("lbltituloextensão", QStringLiteral("Extensão"), 840);
    lblextensao = valueLabel(fraarquivo, QStringLiteral("lblextensao"), 1080);
    lbltitulotamanho = title("lbltitulotamanho", QStringLiteral("Tamanho (bytes)"), 1440);
    lbltamanho = valueLabel(fraarquivo, QStringLiteral("lbltamanho"), 1680);
    lbltituloultimaatualização = title("lbltituloultimaatualização", QStringLiteral("Ultima Atualização:"), 2040);
    lblatualizaçao = valueLabel(fraarquivo, QStringLiteral("lblatualizaçao"), 2280);
    lbltituloatributos = title("lbltituloatributos", QStringLiteral("Atributos"), 2640);
    lblatributos = valueLabel(fraarquivo, QStringLiteral("lblatributos"), 2880);
    lbltitulodir = title("lbltitulodir", QStringLiteral("Diretório"), 3240);
    lbldir = valueLabel(fraarquivo, QStringLiteral("lbldir"), 3480, 615);
    lbldir->setWordWrap(true);
    lbldir->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}
