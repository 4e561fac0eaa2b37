// SPDX-License-Identifier: GPL-3.0-or-later
// The window's life: the tray, the exit, the view toggles and the
// auxiliary windows.

#include "app/frmob.h"

#include "forms/commandbar.h"
#include "forms/simplestatusbar.h"
#include "forms/twips.h"
#include "sound/frmmusica.h"
#include "windows/frmajuda.h"
#include "windows/frmovalen.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>

void frmob::SendToTray()
{
    auto &tray = m_services.tray;
    tray.setTipText(QStringLiteral("Trovelandor Ovalen Brakmund!"));
    tray.setTrayPicture(imglstcomandos.picture(QStringLiteral("relogio")));
    tray.setOwnerApp(QCoreApplication::instance());
    tray.setOwnerWindow(this);
    tray.showInTray();
}

void frmob::Form_Resize()
{
    if (isMinimized())
        SendToTray();
}

void frmob::menuminimizar_Click()
{
    SendToTray();
}

void frmob::menusair_Click()
{
    // Every loop ends, the nested ones of open boxes too; nothing else runs.
    QCoreApplication::exit(0);
}

void frmob::Form_Unload()
{
    // The only file the program opens is closed within the open command, so
    // none is left to close here.
    QCoreApplication::exit(0);
}

void frmob::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmob::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

void frmob::menustatus_Click()
{
    menustatus->setChecked(!menustatus->isChecked());
    stbovalen->setVisible(menustatus->isChecked());
}

namespace {

void setTop(QWidget *w, int top)
{
    w->move(w->x(), forms::tw(top));
}

} // namespace

void frmob::menubarra_Click()
{
    // The check mark, not the bar, tells which way to go.
    if (menubarra->isChecked()) {
        menubarra->setChecked(false);
        Toolbar1->hide();
        setTop(fracontroles, 10);
        setTop(lbltexto, 1800);
        setTop(txttexto, 2040);
    } else {
        Toolbar1->show();
        menubarra->setChecked(true);
        setTop(fracontroles, 600);
        setTop(lbltexto, 2280);
        setTop(txttexto, 2520);
    }
}

namespace {

// Opens one of the auxiliary windows: made on first use and after each
// close, and brought to the front when it is open already.
template<class Window>
void openAuxiliary(QPointer<Window> &window)
{
    if (!window)
        window = new Window();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

frmmusica &frmob::soundInformation()
{
    // Made hidden by the first refresh, and never shown.
    if (!m_frmmusica)
        m_frmmusica = new frmmusica();
    return *m_frmmusica;
}

frmmusica *frmob::soundInfoWindow() const
{
    return m_frmmusica;
}

void frmob::menusobre_Click()
{
    openAuxiliary(m_frmovalen);
}

void frmob::menuprograma_Click()
{
    openAuxiliary(m_frmajuda);
}
