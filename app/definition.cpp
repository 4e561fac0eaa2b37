// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as it is defined: controls with their places, sizes,
// stacking and tab order, the menu tree, the command bar and the image list.
// Places and sizes are in twips, as the window was drawn.

#include "app/frmob.h"

#include "desktop/pacedtimer.h"
#include "desktop/x11hints.h"
#include "forms/commandbar.h"
#include "forms/controls.h"
#include "forms/dialogfont.h"
#include "forms/events.h"
#include "forms/simplestatusbar.h"
#include "forms/syscolors.h"
#include "forms/twips.h"
#include "sound/frmmusica.h"
#include "sound/mediaplayer.h"
#include "windows/frmajuda.h"
#include "windows/frmovalen.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>

using forms::control;
using forms::label;
using forms::on;
using forms::place;
using forms::SysColor;
using forms::tw;

const QString frmob::caption = QStringLiteral("Relógio Trivelandor Ovalen Brakmund!");

namespace {

QComboBox *dropDownList(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *c = control<QComboBox>(parent, name);
    c->setEditable(false);
    c->setMaxVisibleItems(12);
    forms::nameForScreenReaders(c, accessibleName);
    return c;
}

// Stacks the controls of one container: the first in the list on top.
void stackTopmostFirst(std::initializer_list<QWidget *> controls)
{
    for (auto it = std::rbegin(controls); it != std::rend(controls); ++it)
        (*it)->raise();
}

} // namespace

frmob::frmob(const desktop::Services &services, QWidget *parent)
    : QMainWindow(parent), m_services(services), imglstcomandos(QSize(20, 20))
{
    setObjectName(QStringLiteral("frmob"));
    createImageList();
    createControls();
    createMenus();
    createCommandBar();
    connectHandlers();
    Form_Load();
}

frmob::~frmob()
{
    // The windows this one opened go with it.
    delete m_frmmusica;
    delete m_frmovalen;
    delete m_frmajuda;
}

void frmob::createImageList()
{
    static const char *const keys[26] = {
        "+volume", "excluir", "limpar", nullptr, nullptr, nullptr, nullptr, "abrir", nullptr,
        "minimizar", nullptr, "cima", "parar", "ajuda", "relogio", "tocar", "sair", nullptr,
        nullptr, "-volume", "atualizar", "volume", nullptr, nullptr, "tb", "x"};
    for (int position = 1; position <= 26; ++position) {
        const char *key = keys[position - 1];
        imglstcomandos.add(QStringLiteral(":/images/%1.svg").arg(position, 2, 10, QLatin1Char('0')),
                           key ? QLatin1String(key) : QString());
    }
}

void frmob::createControls()
{
    createWindowControls();
    createAlarmFrame();
    createPlayer();
    createClockPanel();
    stackAndOrderControls();
    setOpenDialogSettings();
}

// The window itself and what lies on its surface: the command bar, the
// frame, the message and the status bar; and the clock's timer.
void frmob::createWindowControls()
{
    setWindowTitle(caption);
    setWindowIcon(QIcon(QStringLiteral(":/images/relogio.svg")));
    // A fixed window with a close button only: "Minimizar" stands in for
    // the minimise button, and the desktop may still minimise it.
    setWindowFlags(Qt::Window | forms::fixedWindowHints);
    desktop::keepMinimiseFunction(this);
    setFont(forms::dialogFont());

    surface = control<QWidget>(this, "surface");
    setCentralWidget(surface);

    Toolbar1 = new forms::CommandBar(surface);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    place(Toolbar1, 0, 0, 4470, 480);

    fracontroles = control<QFrame>(surface, "fracontroles");
    fracontroles->setFrameStyle(QFrame::Box | QFrame::Sunken);
    place(fracontroles, 0, 480, 4455, 1695);

    lbltexto = label(surface, "lbltexto", QStringLiteral("Digite seu Texto:"), 0, 2280, 1200, 195);

    txttexto = control<QPlainTextEdit>(surface, "txttexto");
    txttexto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txttexto->setTabChangesFocus(true);
    txttexto->setAccessibleName(QStringLiteral("Mensagem do alarme"));
    forms::setBackground(txttexto, SysColor::InactiveTitleBar);
    place(txttexto, 0, 2520, 4455, 1455);

    stbovalen = new forms::SimpleStatusBar(surface);
    stbovalen->setObjectName(QStringLiteral("stbovalen"));
    stbovalen->setSimpleText(caption);
    place(stbovalen, 0, 4050, 4470, 375);

    trmrelogio = new desktop::PacedTimer(m_services.clock, this);
    trmrelogio->setObjectName(QStringLiteral("trmrelogio"));
}

// Inside the frame: the alarm's lists and text, the sound list and the
// panels that cover most of the player.
void frmob::createAlarmFrame()
{
    cmbdir = dropDownList(fracontroles, "cmbdir", QStringLiteral("Som do alarme"));
    forms::setBackground(cmbdir, SysColor::InactiveTitleBar);
    place(cmbdir, 240, 1200, 2055, 315);

    Picture3 = control<QWidget>(fracontroles, "Picture3", 30, 800, 2295, 135);

    cmbsegundos = dropDownList(fracontroles, "cmbsegundos", QStringLiteral("Segundos do alarme"));
    place(cmbsegundos, 1560, 480, 735, 315);
    cmbminutos = dropDownList(fracontroles, "cmbminutos", QStringLiteral("Minutos do alarme"));
    place(cmbminutos, 840, 480, 735, 315);
    cmbhoras = dropDownList(fracontroles, "cmbhoras", QStringLiteral("Hora do alarme"));
    place(cmbhoras, 120, 480, 735, 315);

    txthora = control<QLineEdit>(fracontroles, "txthora");
    txthora->setAlignment(Qt::AlignCenter);
    txthora->setText(QStringLiteral("Hora há Dispertar"));
    txthora->setAccessibleName(QStringLiteral("Hora do alarme em texto"));
    // It lies under the lists, yet Tab reaches it: a blind user is told
    // what typing there does.
    txthora->setAccessibleDescription(QStringLiteral("O alarme toca quando o relógio mostra exatamente este texto, "
                                                     "como 7:05:30; digitar aqui substitui a hora escolhida nas listas"));
    place(txthora, 120, 480, 2055, 285);

    Picture1 = control<QWidget>(fracontroles, "Picture1", 120, 1200, 3135, 375);

    Picture2 = control<QFrame>(fracontroles, "Picture2");
    Picture2->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    place(Picture2, 2320, 195, 2055, 735);

    lbldigiteahora =
        label(fracontroles, "lbldigiteahora", QStringLiteral("Digite a hora para Despertar:"), 120, 240, 2040, 195);
}

// The player, under the frame's panels.
void frmob::createPlayer()
{
    media = new MediaPlayer(m_services.sound, fracontroles);
    media->setObjectName(QStringLiteral("media"));
    media->setAccessibleName(QStringLiteral("Reprodutor de som"));
    place(media, 120, 840, 4245, 735);

    // Of the player, only what the controls above it leave uncovered is seen:
    // a band across its whole width and its lower right corner.
    const QRect player = media->geometry();
    const int bandTop = std::max(Picture3->geometry().bottom(), Picture2->geometry().bottom()) + 1;
    const int bandBottom = Picture1->geometry().top();
    media->setVisibleParts(QRect(0, bandTop - player.top(), player.width(), bandBottom - bandTop),
                           QRect(QPoint(Picture1->geometry().right() + 1 - player.left(), bandBottom - player.top()),
                                 QPoint(player.width() - 1, player.height() - 1)));
}

// The clock panel: the time and the date, each with its title.
void frmob::createClockPanel()
{
    lbltitulohoraatual = label(Picture2, "lbltitulohoraatual", QStringLiteral("Hora Atual:"), 120, 120, 795, 195);
    lbltitulodataatual = label(Picture2, "lbltitulodataatual", QStringLiteral("Data Atual:"), 120, 480, 795, 195);
    for (auto [field, name, top] : {std::tuple{&lblhoraatual, "lblhoraatual", 120},
                                    std::tuple{&lbldataatual, "lbldataatual", 480}}) {
        *field = label(Picture2, name, QString());
        (*field)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        (*field)->setAlignment(Qt::AlignCenter);
        forms::setBackground(*field, SysColor::AppWorkspace);
        place(*field, 960, top, 1095, 255);
    }
}

void frmob::stackAndOrderControls()
{
    // Labels lie on their container's surface, beneath every other control.
    stackTopmostFirst({Toolbar1, fracontroles, txttexto, stbovalen, lbltexto});
    stackTopmostFirst({cmbdir, Picture3, cmbsegundos, cmbminutos, cmbhoras, txthora, Picture1, Picture2,
                       media, lbldigiteahora});
    stackTopmostFirst({lblhoraatual, lbldataatual, lbltitulohoraatual, lbltitulodataatual});

    // Tab order follows the tab indexes; panels, labels and the frame take no focus.
    for (QWidget *panel : {static_cast<QWidget *>(Picture1), static_cast<QWidget *>(Picture2), Picture3,
                           static_cast<QWidget *>(fracontroles)})
        panel->setFocusPolicy(Qt::NoFocus);
    Toolbar1->setFocusPolicy(Qt::NoFocus);
    QWidget *tabOrder[] = {cmbhoras, cmbminutos, cmbsegundos, txthora, media->volumeSlider(), txttexto, cmbdir};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void frmob::setOpenDialogSettings()
{
    dlgarquivo.title = QStringLiteral("Relógio Trivelandor Ovalen Brakmund");
    dlgarquivo.filterText = QStringLiteral("Arquivos de Som (*.mp3, *.wav, *.wma)");
    dlgarquivo.suffixes = {QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("wma")};
    // The folder the dialog was drawn to start in, where this machine has
    // one; otherwise where a Linux desktop keeps music, or home.
    const QString windowsDocuments = QStringLiteral("C:\\Meus Documentos");
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (QDir(windowsDocuments).exists())
        dlgarquivo.initialFolder = windowsDocuments;
    else if (!music.isEmpty() && QDir(music).exists())
        dlgarquivo.initialFolder = music;
    else
        dlgarquivo.initialFolder = QDir::homePath();
}

void frmob::createMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &text, QKeySequence shortcut = {}) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(shortcut);
        return a;
    };
    auto separator = [](QMenu *menu, const char *name) {
        QAction *a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto topLevel = [this](const char *name, const QString &text) {
        QMenu *m = menuBar()->addMenu(text);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };

    menuBar()->setFont(font());
    menuarquivo = topLevel("menuarquivo", QStringLiteral("&Arquivo"));
    menuatualizar = item(menuarquivo, "menuatualizar", QStringLiteral("&Atualizar          "), Qt::Key_F1);
    menulineatualizar = separator(menuarquivo, "menulineatualizar");
    menusair = item(menuarquivo, "menusair", QStringLiteral("&Sair     "), Qt::CTRL | Qt::Key_F11);

    menusom = topLevel("menusom", QStringLiteral("So&m"));
    menuabrir = item(menusom, "menuabrir", QStringLiteral("Abrir Som        "), Qt::Key_F2);
    menulineabrirsom = separator(menusom, "menulineabrirsom");
    menuvolume = item(menusom, "menuvolume", QStringLiteral("&Volume do Som         "), Qt::Key_F3);
    menulinesom = separator(menusom, "menulinesom");
    menutocar = item(menusom, "menutocar", QStringLiteral("&Tocar          "), Qt::Key_F4);
    menuparar = item(menusom, "menuparar", QStringLiteral("&Parar"), Qt::Key_F5);

    menuvisualizar = topLevel("menuvisualizar", QStringLiteral("&Visualizar"));
    menustatus = item(menuvisualizar, "menustatus", QStringLiteral("&Status Bar                    "), Qt::Key_F6);
    menubarra = item(menuvisualizar, "menubarra", QStringLiteral("&Barra de Comandos          "), Qt::Key_F7);
    menuline6 = separator(menuvisualizar, "menuline6");
    menuminimizar = item(menuvisualizar, "menuminimizar", QStringLiteral("Minimizar"), Qt::Key_F8);
    for (QAction *toggle : {menustatus, menubarra}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }

    menuajuda = topLevel("menuajuda", QStringLiteral("A&juda"));
    menusobre = item(menuajuda, "menusobre", QStringLiteral("&Sobre...       "), Qt::Key_F9);
    menulineovalen = separator(menuajuda, "menulineovalen");
    menuprograma = item(menuajuda, "menuprograma", QStringLiteral("O &Programa           "), Qt::Key_F10);

    // The client area keeps its defined size below the menu bar; the window
    // first stands in the middle of the screen.
    setFixedSize(tw(4470), tw(4425) + menuBar()->sizeHint().height());
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

void frmob::createCommandBar()
{
    Toolbar1->setIconSize(imglstcomandos.imageSize());
    Toolbar1->setFont(forms::dialogFont(10));
    struct Button {
        const char *caption; // null for a separator
        const char *key;
        const char *accessibleName;
    };
    static const Button buttons[12] = {
        {"Atualizar", "atualizar", "Atualizar a hora do alarme"},
        {},
        {"Abrir Som", "abrir", "Abrir um som"},
        {},
        {"Volume", "volume", "Controle de volume"},
        {},
        {"Tocar", "tocar", "Tocar o som"},
        {"Parar", "parar", "Parar o som"},
        {},
        {"Ajuda", "ajuda", "Ajuda do programa"},
        {},
        {"Minimizar", "minimizar", "Minimizar para a bandeja"},
    };
    for (const Button &b : buttons) {
        if (!b.caption)
            Toolbar1->addGap();
        else
            Toolbar1->addButton(imglstcomandos.picture(QLatin1String(b.key)), QString::fromUtf8(b.caption),
                                QString::fromUtf8(b.accessibleName));
    }
    Q_ASSERT(Toolbar1->neededWidth() <= Toolbar1->width());
}

QMenu *frmob::createPopupMenu()
{
    return nullptr; // the bars are shown and hidden from the View menu only
}

namespace {

// A check-mark item's handler owns its check mark: undo the flip that the
// menu makes by itself before the handler runs.
template<class Handler>
void command(QAction *action, frmob *window, Handler handler)
{
    QObject::connect(action, &QAction::triggered, window, [action, window, handler] {
        if (action->isCheckable())
            action->setChecked(!action->isChecked());
        (window->*handler)();
    });
}

} // namespace

void frmob::connectHandlers()
{
    command(menuatualizar, this, &frmob::menuatualizar_Click);
    command(menusair, this, &frmob::menusair_Click);
    command(menuabrir, this, &frmob::menuabrir_Click);
    command(menuvolume, this, &frmob::menuvolume_Click);
    command(menutocar, this, &frmob::menutocar_Click);
    command(menuparar, this, &frmob::menuparar_Click);
    command(menustatus, this, &frmob::menustatus_Click);
    command(menubarra, this, &frmob::menubarra_Click);
    command(menuminimizar, this, &frmob::menuminimizar_Click);
    command(menusobre, this, &frmob::menusobre_Click);
    command(menuprograma, this, &frmob::menuprograma_Click);
    connect(Toolbar1, &forms::CommandBar::buttonClick, this, &frmob::Toolbar1_ButtonClick);
    connect(trmrelogio, &desktop::PacedTimer::timeout, this, &frmob::trmrelogio_Timer);

    // The lists are chosen from, never typed into: the hours list reports
    // no change of text, so its handler never runs in this window.
    connect(cmbhoras, &QComboBox::editTextChanged, this, &frmob::cmbhoras_Change);
    connect(cmbdir, &QComboBox::activated, this, &frmob::cmbdir_Click);

    on(cmbhoras).focusOut(this, &frmob::cmbhoras_LostFocus);
    on(cmbsegundos).focusOut(this, &frmob::cmbsegundos_LostFocus);
    on(txttexto)
        .focusIn(this, &frmob::txttexto_GotFocus)
        .focusOut(this, &frmob::txttexto_LostFocus)
        .mouseMove(this, &frmob::txttexto_MouseMove);
    on(cmbdir).focusIn(this, &frmob::cmbdir_GotFocus).focusOut(this, &frmob::cmbdir_LostFocus);
    on(surface).mouseMove(this, &frmob::Form_MouseMove);
    on(fracontroles).mouseMove(this, &frmob::fracontroles_MouseMove);
    on(Picture1).mouseMove(this, &frmob::Picture1_MouseMove);
    on(Picture2).click(this, &frmob::Picture2_Click);
    on(lbldataatual).mouseMove(this, &frmob::lbldataatual_MouseMove);
    on(lblhoraatual).mouseMove(this, &frmob::lblhoraatual_MouseMove);
    on(lbltexto).mouseMove(this, &frmob::lbltexto_MouseMove);
    on(txthora).mouseMove(this, &frmob::txthora_MouseMove);
    on(media).mouseMove(this, &frmob::media_MouseMove);
    on(media->volumeSlider()).mouseMove(this, &frmob::media_MouseMove);

    // The areas without a pointer handler keep the pointer to themselves, so
    // the last hint stays while it is over them.
    for (QWidget *w : std::initializer_list<QWidget *>{
             cmbhoras, cmbminutos, cmbsegundos, cmbdir, lbldigiteahora, lbltitulohoraatual,
             lbltitulodataatual, Picture3, Picture2, Toolbar1, stbovalen})
        forms::keepPointerEvents(w);
}
