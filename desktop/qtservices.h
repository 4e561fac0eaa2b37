// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/qttray.h"
#include "desktop/services.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace desktop {

class QtClock : public Clock
{
public:
    QDateTime now() const override;
};

// Where a box of the given size (title bar included) goes so that it hides
// nothing of the window whose frame is given: to its right, its top level
// with the window's, else to its left, else below it, on the given part of
// the screen. Null where none of them fits.
std::optional<QPoint> besideTheWindow(const QRect &window, const QSize &box, const QRect &screen);

class QtMessageBox : public MessageBox
{
public:
    void exclamation(QWidget *parent, const QString &title, const QString &text) override;
};

class QtOpenDialog : public OpenDialog
{
public:
    QString chooseFile(QWidget *parent, const OpenDialogSettings &settings) override;
};

class QtProgramLauncher : public ProgramLauncher
{
public:
    QString findProgram(const QString &name) const override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
};

// The Qt implementations of every service, for the running program, with
// the sound output it plays through.
class QtServices
{
public:
    explicit QtServices(SoundOutput &sound);
    Services services();

private:
    QtClock m_clock;
    QtMessageBox m_messageBox;
    QtOpenDialog m_openDialog;
    QtProgramLauncher m_launcher;
    SoundOutput &m_sound;
    QtTray m_tray;
};

} // namespace desktop
