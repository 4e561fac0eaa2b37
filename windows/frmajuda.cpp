// SPDX-License-Identifier: GPL-3.0-or-later
// The Help window as it is defined. Places and sizes are in twips, as the
// window was drawn.

#include "windows/frmajuda.h"

#include "forms/controls.h"
#include "forms/dialogfont.h"
#include "forms/syscolors.h"
#include "forms/twips.h"

#include <QShortcut>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>

using forms::SysColor;
using forms::tw;

namespace {

// 13.5 points would be 18 pixels at 96 dpi, but at 18 "Atualizar:" runs half
// a pixel past the box it was drawn in; one pixel less keeps every heading
// whole.
constexpr int headingPixels = 17;

// Every label paints its own face over the window's.
QLabel *faceLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    QLabel *l = forms::label(parent, name, text, left, top, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forms::setBackground(l, SysColor::ButtonFace);
    return l;
}

QLabel *heading(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *l = faceLabel(parent, name, text, left, top, width, height);
    l->setFont(forms::dialogFont(headingPixels));
    return l;
}

QLabel *explanation(QWidget *parent, const char *name, const QString &text, int left, int top, int width,
                    int height)
{
    auto *l = faceLabel(parent, name, text, left, top, width, height);
    l->setWordWrap(true);
    return l;
}

// A one-pixel line between two end points, both drawn. It lies on the
// window's surface: the pointer passes through it to the window.
QWidget *line(QWidget *parent, const char *name, int x1, int y1, int x2, int y2, SysColor colour)
{
    auto *l = forms::control<QWidget>(parent, name);
    l->setGeometry(QRect(QPoint(tw(x1), tw(y1)), QPoint(tw(x2), tw(y2))));
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    forms::setBackground(l, colour);
    return l;
}

// "&OK!" was drawn in a style that shows no change under the pointer, so
// the hover shading of today's styles is left out.
class SteadyButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void initStyleOption(QStyleOptionButton *option) const override
    {
        QPushButton::initStyleOption(option);
        option->state &= ~QStyle::State_MouseOver;
    }
};

} // namespace

frmajuda::frmajuda(QWidget *parent)
    : QWidget(parent, Qt::Window | forms::fixedWindowHints)
{
    forms::setUpSmallWindow(this, "frmajuda", QStringLiteral("Ajuda Relógio Trivelandor Ovalen Brakmund!"), 6765, 5775);
    setWindowIcon(QIcon(QStringLiteral(":/images/ajuda.svg")));
    forms::setBackground(this, SysColor::InactiveBorder);

    lblatualizar = heading(this, "lblatualizar", QStringLiteral("Atualizar:"), 240, 240, 1140, 360);
    lblatualizarexplic = explanation(
        this, "lblatualizarexplic",
        QStringLiteral("Apenas atualiza o formulário para dispertar a hora que você escolheu."), 240, 720, 2775, 495);
    lblvolume = heading(this, "lblvolume", QStringLiteral("Volume:"), 240, 1680, 1065, 360);
    lblvolumeexplic = explanation(this, "lblvolumeexplic",
                                  QStringLiteral("Abre os Controles de Volume do Windows. IMPORTANTE: Ele só "
                                                 "funcionará na hora da execução do som."),
                                  240, 2160, 2775, 855);
    lbltocareparar = heading(this, "lbltocareparar", QStringLiteral("Tocar e Parar:"), 240, 3480, 1785, 360);
    lbltocarepararexplic = explanation(this, "lbltocarepararexplic",
                                       QStringLiteral("Toca ou Para a música que está no ComboBox."), 240, 3960,
                                       2775, 495);

    lblcalendario = heading(this, "lblcalendario", QStringLiteral("Calendário:"), 3480, 240, 1440, 360);
    lblcalendarioexplic =
        explanation(this, "lblcalendarioexplic", QStringLiteral("Abre o Calendário."), 3480, 720, 2775, 255);
    lblAbrirsom = heading(this, "lblAbrirsom", QStringLiteral("Abrir Som:"), 3480, 1440, 1335, 360);
    lblabrirsomexplic = explanation(this, "lblabrirsomexplic",
                                    QStringLiteral("Abre o som que será tocado quando a hora for correspondente. "
                                                   "Os tipos de Arquivo são: mp3, wma e wav."),
                                    3480, 1920, 2895, 615);
    lblfinal = heading(this, "lblfinal", QStringLiteral("Mensagem:"), 3480, 3000, 1500, 360);
    Label1 = explanation(
        this, "Label1",
        QStringLiteral("A mensagem aparecerá simplesmente para mostrar que o hora escolhida chegou."), 3480, 3480,
        2895, 735);

    cmdok = forms::control<SteadyButton>(this, "cmdok", 4560, 4920, 1935, 615);
    cmdok->setText(QStringLiteral("&OK!"));
    // Enter presses the focused button, as buttons do on the desktop the
    // window was drawn for, even outside a dialog.
    cmdok->setAutoDefault(true);
    connect(cmdok, &QPushButton::clicked, this, &frmajuda::cmdok_Click);
    // Escape closes the window as "&OK!" does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &frmajuda::cmdok_Click);
    cmdok->setFocus();

    // The divider between the columns, and an engraved rule above the
    // button: a dark line with a light one just beneath it.
    Line1 = line(this, "Line1", 3240, 120, 3240, 4560, SysColor::WindowText);
    Line2 = line(this, "Line2", 240, 4680, 6480, 4680, SysColor::AppWorkspace);
    Line3 = line(this, "Line3", 240, 4695, 6480, 4695, SysColor::ActiveTitleText);
}

void frmajuda::cmdok_Click()
{
    close();
}
