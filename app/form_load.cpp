// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, and the command bar's dispatch.

#include "app/frmob.h"

#include "desktop/pacedtimer.h"
#include "forms/commandbar.h"

#include <QComboBox>

namespace {

// The alarm sound every run starts with. It is a plain text, not looked for
// on the disk: the open command adds the sounds that really exist.
const QString defaultSound = QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma");

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

void frmob::Form_Load()
{
    menu.attachMenus(this);
    menu.setIconList(&imglstcomandos);
    // Pictures are counted from 1 in the image list and from 0 by the menus.
    static const std::pair<const char *, int> menuPictures[] = {
        {"menuatualizar", 21}, {"menusair", 17},  {"menuabrir", 8},      {"menuvolume", 22},
        {"menutocar", 16},     {"menuparar", 13}, {"menustatus", 26},    {"menubarra", 26},
        {"menuminimizar", 10}, {"menusobre", 15}, {"menuprograma", 14},
    };
    for (auto [item, position] : menuPictures)
        menu.setItemIcon(QLatin1String(item), position - 1);

    addSoundSorted(defaultSound);
    // The hours run from 1 to 24 without a leading zero; there is no hour 0.
    for (int h = 1; h <= 24; ++h)
        cmbhoras->addItem(QString::number(h));
    for (int m = 0; m <= 59; ++m)
        cmbminutos->addItem(twoDigits(m));
    for (int s = 0; s <= 59; ++s)
        cmbsegundos->addItem(twoDigits(s));

    cmbhoras->setCurrentIndex(0);
    cmbminutos->setCurrentIndex(0);
    cmbsegundos->setCurrentIndex(0);
    selectSound(0);

    cmbhoras->setFocus();
    trmrelogio->start();
}

void frmob::Toolbar1_ButtonClick(int position)
{
    // Only the position counts; the separators run nothing.
    switch (position) {
    case 1:
        menuatualizar_Click();
        break;
    case 3:
        menuabrir_Click();
        break;
    case 5:
        menuvolume_Click();
        break;
    case 7:
        menutocar_Click();
        break;
    case 8:
        menuparar_Click();
        break;
    case 10:
        menuprograma_Click();
        break;
    case 12:
        menuminimizar_Click();
        break;
    default:
        break;
    }
}

void frmob::selectSound(int index)
{
    // A selection made by the program counts as one made by the user.
    cmbdir->setCurrentIndex(index);
    cmbdir_Click();
}
