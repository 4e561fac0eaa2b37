// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/services.h"
#include "forms/iconmenu.h"
#include "forms/imagelist.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;
class MediaPlayer;
class frmmusica;
class frmovalen;
class frmajuda;
namespace forms {
class CommandBar;
class SimpleStatusBar;
} // namespace forms
namespace desktop {
class PacedTimer;
} // namespace desktop

// The main window of the alarm clock, and the map of the program: every
// control under its own name and every handler, grouped by the subsystem
// whose folder defines it.
class frmob : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmob(const desktop::Services &services, QWidget *parent = nullptr);
    ~frmob() override;

    // ---- The shell (app/) ----
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Toolbar1_ButtonClick(int position);
    void SendToTray();
    void menuminimizar_Click();
    void menusair_Click();
    void menustatus_Click();
    void menubarra_Click();
    void menusobre_Click();
    void menuprograma_Click();

    // ---- The alarm (alarm/) ----
    void trmrelogio_Timer();
    void ComposeAlarmTime();
    void cmbhoras_LostFocus();
    void cmbsegundos_LostFocus();
    void menuatualizar_Click();
    // Status-bar hints and focus colours.
    void Form_MouseMove();
    void fracontroles_MouseMove();
    void Picture1_MouseMove();
    void Picture2_Click();
    void lbldataatual_MouseMove();
    void lblhoraatual_MouseMove();
    void lbltexto_MouseMove();
    void txttexto_MouseMove();
    void txthora_MouseMove();
    void media_MouseMove();
    void cmbhoras_Change();
    void txttexto_GotFocus();
    void txttexto_LostFocus();
    void cmbdir_GotFocus();
    void cmbdir_LostFocus();

    // ---- Sound (sound/) ----
    void cmbdir_Click();
    void menuabrir_Click();
    void RefreshSoundInfo(const QString &path);
    void menutocar_Click();
    void menuparar_Click();
    void menuvolume_Click();

    // The hidden sound-information window, once the first refresh made it.
    frmmusica *soundInfoWindow() const;

    // The window's definition, as fixed texts shared with the other windows.
    static const QString caption;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    QMenu *createPopupMenu() override;

private:
    // app/
    void createImageList();
    void createControls();
    void createWindowControls();
    void createAlarmFrame();
    void createPlayer();
    void createClockPanel();
    void stackAndOrderControls();
    void setOpenDialogSettings();
    void createMenus();
    void createCommandBar();
    void connectHandlers();
    void selectSound(int index);
    frmmusica &soundInformation();

    // alarm/
    void setHint(const QString &text);
    void showAlarmWindow();
    void prepareAlarmSound(const QDateTime &now);

    // sound/: the player and the sound list, as the other subsystems reach them.
    void playSound(const QString &path);
    void prepareSound(const QString &path);
    int addSoundSorted(const QString &path);

    desktop::Services m_services;
    forms::ImageList imglstcomandos;
    forms::IconMenu menu;
    desktop::OpenDialogSettings dlgarquivo;
    QPointer<frmmusica> m_frmmusica;
    QPointer<frmovalen> m_frmovalen;
    QPointer<frmajuda> m_frmajuda;

    // Controls, by their names in the window's definition.
    QWidget *surface = nullptr; // the window's own client area
    forms::CommandBar *Toolbar1 = nullptr;
    QFrame *fracontroles = nullptr;
    QLabel *lbltexto = nullptr;
    QPlainTextEdit *txttexto = nullptr;
    forms::SimpleStatusBar *stbovalen = nullptr;
    desktop::PacedTimer *trmrelogio = nullptr;
    QComboBox *cmbdir = nullptr;
    QWidget *Picture3 = nullptr;
    QComboBox *cmbsegundos = nullptr;
    QComboBox *cmbminutos = nullptr;
    QComboBox *cmbhoras = nullptr;
    QLineEdit *txthora = nullptr;
    QWidget *Picture1 = nullptr;
    QFrame *Picture2 = nullptr;
    QLabel *lbldigiteahora = nullptr;
    MediaPlayer *media = nullptr;
    QLabel *lbltitulohoraatual = nullptr;
    QLabel *lbltitulodataatual = nullptr;
    QLabel *lblhoraatual = nullptr;
    QLabel *lbldataatual = nullptr;

    // Menu items.
    QMenu *menuarquivo = nullptr;
    QAction *menuatualizar = nullptr;
    QAction *menulineatualizar = nullptr;
    QAction *menusair = nullptr;
    QMenu *menusom = nullptr;
    QAction *menuabrir = nullptr;
    QAction *menulineabrirsom = nullptr;
    QAction *menuvolume = nullptr;
    QAction *menulinesom = nullptr;
    QAction *menutocar = nullptr;
    QAction *menuparar = nullptr;
    QMenu *menuvisualizar = nullptr;
    QAction *menustatus = nullptr;
    QAction *menubarra = nullptr;
    QAction *menuline6 = nullptr;
    QAction *menuminimizar = nullptr;
    QMenu *menuajuda = nullptr;
    QAction *menusobre = nullptr;
    QAction *menulineovalen = nullptr;
    QAction *menuprograma = nullptr;
};
