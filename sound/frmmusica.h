// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
struct SoundFacts;

// Facts about the current sound file. The main window keeps it filled and
// never shows it.
class frmmusica : public QWidget
{
    Q_OBJECT
public:
    explicit frmmusica(QWidget *parent = nullptr);

    void setFacts(const SoundFacts &facts);

private:
    QFrame *fraarquivo;
    QLabel *lbltitulonomedoarquivo;
    QLabel *lblnome;
    QLabel *lbltituloextensão;
    QLabel *lblextensao;
    QLabel *lbltitulotamanho;
    QLabel *lbltamanho;
    QLabel *lbltituloultimaatualização;
    QLabel *lblatualizaçao;
    QLabel *lbltituloatributos;
    QLabel *lblatributos;
    QLabel *lbltitulodir;
    QLabel *lbldir;
};
