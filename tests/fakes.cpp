// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"

#include "desktop/pacedtimer.h"
#include "forms/simplestatusbar.h"
#include "sound/frmmusica.h"

#include <QLabel>

void FakeMessageBox::exclamation(QWidget *parent, const QString &title, const QString &text)
{
    shown.append({parent, title, text});
    if (whileOpen)
        whileOpen();
}

QString FakeOpenDialog::chooseFile(QWidget *, const desktop::OpenDialogSettings &s)
{
    ++opened;
    settings = s;
    return answer;
}

QString FakeLauncher::findProgram(const QString &name) const
{
    lookedUp << name;
    return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
}

bool FakeLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    started << (QStringList{program} + arguments);
    return !refusing.contains(program.section(QLatin1Char('/'), -1));
}

TestWindow::TestWindow() : window(std::make_unique<frmob>(fakes.services()))
{
    window->findChild<desktop::PacedTimer *>(QStringLiteral("trmrelogio"))->stop();
}

TestWindow::~TestWindow() = default;

void TestWindow::tickAt(int h, int m, int s)
{
    fakes.clock.set(h, m, s);
    window->trmrelogio_Timer();
}

QString TestWindow::soundFact(const char *label) const
{
    frmmusica *info = window->soundInfoWindow();
    auto *l = info ? info->findChild<QLabel *>(QString::fromUtf8(label)) : nullptr;
    if (!l)
        qFatal("no sound fact %s", label);
    return l->text();
}

QString TestWindow::statusText() const
{
    return find<forms::SimpleStatusBar>(QStringLiteral("stbovalen"))->simpleText();
}
