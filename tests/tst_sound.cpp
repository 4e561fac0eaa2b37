// The sound list, the open command, the sound facts and the Play, Stop and
// Volume commands, through the real window over fake services and real
// files.

#include "fakes.h"

#include "platform/qtservices.h"
#include "sound/frmmusica.h"
#include "sound/mixers.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class tst_sound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void factsOfAFile_data();
    void factsOfAFile();
    void factsOfAFileAsLargeAsTheDiskAllows();
    void aPathThatNamesNothingHasNoFacts();
    void refreshingTwiceGivesTheSameTexts();
    void choosingAFilePlaysItThenListsItAndMakesItCurrent();
    void cancellingChangesNothingButRefreshes();
    void aFileThatCannotBeOpenedChangesNothing_data();
    void aFileThatCannotBeOpenedChangesNothing();
    void theChosenFileIsTheSoundOfAlarmAndPlay();
    void playAndStop();
    void volumeControlsPerDesktop_data();
    void volumeControlsPerDesktop();
    void volumeStartsTheFirstMixerFound_data();
    void volumeStartsTheFirstMixerFound();
    void volumeWithoutAnyMixerSaysSo();
    void theDialogShowsItsFilterAndMatchesAnyCase();

private:
    QString makeFile(const QString &name, const QByteArray &content = "RIFF....WAVE");
    static frmmusica &info(TestWindow &t) { return *t.window->soundInfoWindow(); }
    static QComboBox *sounds(TestWindow &t) { return t.find<QComboBox>(QStringLiteral("cmbdir")); }
    QTemporaryDir m_dir;
};

QString tst_sound::makeFile(const QString &name, const QByteArray &content)
{
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(content);
    return f.fileName();
}

void tst_sound::factsOfAFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("attributes");
    QTest::newRow("plain") << "canção de ninar.wma" << "file" << "canção de ninar.wma" << ".WMA" << "Normal";
    QTest::newRow("read-only") << "fixo.Mp3" << "read-only" << "fixo.Mp3" << ".MP3" << "Somente Leitura";
    QTest::newRow("hidden") << ".oculto.wav" << "file" << "" << "" << "Oculto";
    QTest::newRow("hidden and read-only") << ".ambos.wav" << "read-only" << "" << "" << "3";
    QTest::newRow("three letters") << "abc" << "file" << "abc" << "ABC" << "Normal";
    QTest::newRow("no point in the tail") << "musica_wav" << "file" << "musica_wav" << "_WAV" << "Normal";
    QTest::newRow("folder") << "pasta.mp3" << "folder" << "" << "" << "Diretório ou Pasta";
    QTest::newRow("pipe") << "cano.wav" << "pipe" << "" << "" << "Arquivo de Sistema";
}

void tst_sound::factsOfAFile()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, shownName);
    QFETCH(QString, extension);
    QFETCH(QString, attributes);
    const QString path = m_dir.filePath(name);
    if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(name));
    } else if (kind == QStringLiteral("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else {
        makeFile(name, QByteArray(1234, 'x'));
        if (kind == QStringLiteral("read-only"))
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    }
    TestWindow t;
    t.window->RefreshSoundInfo(path);
    QCOMPARE(info(t).lblnome->text(), shownName);
    QCOMPARE(info(t).lblextensao->text(), extension);
    QCOMPARE(info(t).lblatributos->text(), attributes);
    QCOMPARE(info(t).lbldir->text(), path);
    if (kind == QStringLiteral("file") || kind == QStringLiteral("read-only"))
        QCOMPARE(info(t).lbltamanho->text(), QStringLiteral("1234"));
    // The date and time of the last change, as the user's region writes them.
    const QDateTime changed = QFileInfo(path).lastModified();
    QVERIFY(info(t).lblatualizaçao->text().startsWith(
        QLocale::system().toString(changed.date(), QLocale::ShortFormat) + QLatin1Char(' ')));
    QVERIFY(info(t).lblatualizaçao->text().contains(changed.time().toString(QStringLiteral("mm"))));
    QVERIFY(!info(t).isVisible());
}

void tst_sound::factsOfAFileAsLargeAsTheDiskAllows()
{
    // Three gibibytes, past what a 32-bit count holds; sparse, so it costs
    // no disk.
    const QString path = makeFile(QStringLiteral("grande.wav"), {});
    QFile f(path);
    QVERIFY(f.resize(3LL * 1024 * 1024 * 1024));
    TestWindow t;
    t.window->RefreshSoundInfo(path);
    QCOMPARE(info(t).lbltamanho->text(), QStringLiteral("3221225472"));
}

void tst_sound::aPathThatNamesNothingHasNoFacts()
{
    TestWindow t;
    for (const QString &path : {m_dir.filePath(QStringLiteral("nada.mp3")), QString(),
                                QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma")}) {
        t.window->RefreshSoundInfo(m_dir.filePath(QStringLiteral("fato.mp3")) + QStringLiteral("x"));
        makeFile(QStringLiteral("antes.wav"));
        t.window->RefreshSoundInfo(m_dir.filePath(QStringLiteral("antes.wav")));
        t.window->RefreshSoundInfo(path);
        QCOMPARE(info(t).lbldir->text(), path);
        for (QLabel *value : {info(t).lblnome, info(t).lblextensao, info(t).lbltamanho, info(t).lblatualizaçao,
                              info(t).lblatributos})
            QVERIFY2(value->text().isEmpty(), qPrintable(value->objectName()));
    }
}

void tst_sound::refreshingTwiceGivesTheSameTexts()
{
    const QString path = makeFile(QStringLiteral("duas vezes.mp3"));
    TestWindow t;
    auto texts = [&] {
        QStringList all;
        for (QLabel *l : info(t).findChildren<QLabel *>())
            all << l->objectName() + QLatin1Char('=') + l->text();
        return all;
    };
    t.window->RefreshSoundInfo(path);
    const QStringList first = texts();
    t.window->RefreshSoundInfo(path);
    QCOMPARE(texts(), first);
    const auto windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget *w) { return w->objectName() == QStringLiteral("frmmusica"); }),
             1);
}

void tst_sound::choosingAFilePlaysItThenListsItAndMakesItCurrent()
{
    const QString path = makeFile(QStringLiteral("Alvorada.mp3"));
    TestWindow t;
    t.fakes.openDialog.answer = path;
    int entriesWhenPlayed = -1;
    t.fakes.sound.whenPlayed = [&] { entriesWhenPlayed = sounds(t)->count(); };
    t.window->menuabrir_Click();

    QCOMPARE(t.fakes.sound.plays(), QStringList{QStringLiteral("play ") + path});
    QCOMPARE(entriesWhenPlayed, 1); // played before it joined the list
    QCOMPARE(sounds(t)->count(), 2);
    QCOMPARE(sounds(t)->itemText(0), path); // "/..." sorts before "C:\..."
    QCOMPARE(sounds(t)->currentText(), path);
    QCOMPARE(info(t).lbldir->text(), path);
    QCOMPARE(info(t).lblnome->text(), QStringLiteral("Alvorada.mp3"));
    QVERIFY(t.fakes.messageBox.shown.isEmpty());

    // The dialog as it was defined.
    QCOMPARE(t.fakes.openDialog.settings.title, QStringLiteral("Relógio Trivelandor Ovalen Brakmund"));
    QCOMPARE(t.fakes.openDialog.settings.filterText, QStringLiteral("Arquivos de Som (*.mp3, *.wav, *.wma)"));
    QVERIFY(QDir(t.fakes.openDialog.settings.initialFolder).exists());

    // The same file again: two entries, the new one current.
    t.window->menuabrir_Click();
    QCOMPARE(sounds(t)->count(), 3);
    QCOMPARE(sounds(t)->itemText(0), path);
    QCOMPARE(sounds(t)->itemText(1), path);
    QCOMPARE(sounds(t)->currentIndex(), 1);
}

void tst_sound::cancellingChangesNothingButRefreshes()
{
    TestWindow t;
    const QString current = sounds(t)->currentText();
    info(t).lbldir->setText(QStringLiteral("stale"));
    t.fakes.openDialog.answer.clear();
    t.window->menuabrir_Click();
    QCOMPARE(t.fakes.openDialog.opened, 1);
    QCOMPARE(sounds(t)->count(), 1);
    QCOMPARE(sounds(t)->currentText(), current);
    QVERIFY(t.fakes.sound.calls.isEmpty());
    QCOMPARE(info(t).lbldir->text(), current);
}

void tst_sound::aFileThatCannotBeOpenedChangesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("gone since it was chosen") << "gone" << "não existe mais";
    QTest::newRow("a pipe, which would wait for a writer") << "pipe" << "Não é um arquivo comum";
    QTest::newRow("no permission to read") << "locked" << "permissão";
}

void tst_sound::aFileThatCannotBeOpenedChangesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString path = m_dir.filePath(QStringLiteral("trancado-%1.wav").arg(kind));
    if (kind == QStringLiteral("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == QStringLiteral("locked")) {
        if (geteuid() == 0)
            QSKIP("root reads any file whatever its permissions; this row needs an ordinary user");
        makeFile(QFileInfo(path).fileName());
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    TestWindow t;
    const QString before = t.window->soundInfoWindow()->lbldir->text();
    t.fakes.openDialog.answer = path;
    t.window->menuabrir_Click();
    QCOMPARE(sounds(t)->count(), 1);
    QVERIFY(t.fakes.sound.calls.isEmpty());
    QCOMPARE(info(t).lbldir->text(), before);
    QCOMPARE(t.fakes.messageBox.shown.size(), 1);
    QVERIFY(t.fakes.messageBox.shown.first().text.contains(path));
    QVERIFY2(t.fakes.messageBox.shown.first().text.contains(reason), qPrintable(t.fakes.messageBox.shown.first().text));
}

void tst_sound::theChosenFileIsTheSoundOfAlarmAndPlay()
{
    const QString path = makeFile(QStringLiteral("Despertador.wav"));
    TestWindow t;
    t.fakes.openDialog.answer = path;
    t.window->menuabrir_Click();
    t.fakes.sound.calls.clear();
    t.find<QLineEdit>(QStringLiteral("txthora"))->setText(QStringLiteral("6:00:00"));
    t.tickAt(6, 0, 0);
    t.window->menutocar_Click();
    QCOMPARE(t.fakes.sound.plays(), (QStringList{QStringLiteral("play ") + path, QStringLiteral("play ") + path}));
    // Choosing another entry makes it the sound.
    sounds(t)->setCurrentIndex(1);
    t.window->cmbdir_Click();
    t.window->menutocar_Click();
    QCOMPARE(t.fakes.sound.calls.last(), QStringLiteral("play ") + sounds(t)->itemText(1));
    QCOMPARE(info(t).lbldir->text(), sounds(t)->itemText(1));
}

void tst_sound::playAndStop()
{
    TestWindow t;
    // Play passes the current text as it stands, even a Windows path.
    t.window->menutocar_Click();
    t.window->menutocar_Click();
    t.window->menuparar_Click();
    t.window->menuparar_Click();
    const QString current = sounds(t)->currentText();
    QCOMPARE(t.fakes.sound.calls, (QStringList{QStringLiteral("play ") + current, QStringLiteral("play ") + current,
                                               QStringLiteral("stop"), QStringLiteral("stop")}));
    QCOMPARE(sounds(t)->currentText(), current);
    QVERIFY(t.fakes.messageBox.shown.isEmpty());
}

void tst_sound::volumeControlsPerDesktop_data()
{
    QTest::addColumn<QString>("desktop"); // as in XDG_CURRENT_DESKTOP
    QTest::addColumn<QStringList>("first"); // after the Windows one
    QTest::newRow("GNOME") << "GNOME" << QStringList{"gnome-control-center sound", "pavucontrol"};
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << QStringList{"gnome-control-center sound"};
    QTest::newRow("Budgie") << "Budgie:GNOME"
                            << QStringList{"budgie-control-center sound", "gnome-control-center sound"};
    QTest::newRow("Plasma") << "KDE"
                            << QStringList{"systemsettings kcm_pulseaudio", "kcmshell6 kcm_pulseaudio",
                                           "kcmshell5 kcm_pulseaudio", "pavucontrol"};
    QTest::newRow("any letter case") << "kde" << QStringList{"systemsettings kcm_pulseaudio"};
    QTest::newRow("Cinnamon") << "X-Cinnamon" << QStringList{"cinnamon-settings sound"};
    QTest::newRow("MATE") << "MATE" << QStringList{"mate-volume-control"};
    QTest::newRow("Xfce") << "XFCE" << QStringList{"pavucontrol", "pwvucontrol", "pavucontrol-qt"};
    QTest::newRow("LXQt") << "LXQt" << QStringList{"pavucontrol-qt", "pavucontrol"};
    QTest::newRow("no desktop named") << "" << QStringList{"pavucontrol", "pwvucontrol", "pavucontrol-qt"};
    QTest::newRow("a desktop of its own") << "sway" << QStringList{"pavucontrol"};
}

void tst_sound::volumeControlsPerDesktop()
{
    QFETCH(QString, desktop);
    QFETCH(QStringList, first);
    QStringList tried;
    for (const MixerCommand &mixer : volumeControlsFor(desktop))
        tried << (QStringList{mixer.program} + mixer.arguments).join(u' ');
    QCOMPARE(tried.first(), QStringLiteral("C:\\Windows\\Sndvol32.exe"));
    QCOMPARE(tried.mid(1, first.size()), first);
    QCOMPARE(QSet<QString>(tried.begin(), tried.end()).size(), tried.size());
    // A mixer that works anywhere is always among them.
    QVERIFY(tried.contains(QStringLiteral("pavucontrol")) && tried.contains(QStringLiteral("pwvucontrol")));
    // GNOME's settings quit at once elsewhere, as if they had opened.
    QCOMPARE(tried.contains(QStringLiteral("gnome-control-center sound")),
             desktop.split(u':').contains(QStringLiteral("GNOME"), Qt::CaseInsensitive));
}

void tst_sound::volumeStartsTheFirstMixerFound_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("refusing");
    QTest::addColumn<QStringList>("expected"); // the start asked for
    QTest::newRow("the desktop's own before any other")
        << QByteArray("GNOME") << QStringList{"pavucontrol", "gnome-control-center"} << QStringList{}
        << QStringList{"/usr/bin/gnome-control-center", "sound"};
    QTest::newRow("the next when one fails to start")
        << QByteArray() << QStringList{"pavucontrol", "pwvucontrol"} << QStringList{"pavucontrol"}
        << QStringList{"/usr/bin/pwvucontrol"};
}

void tst_sound::volumeStartsTheFirstMixerFound()
{
    QFETCH(QByteArray, desktop);
    QFETCH(QStringList, installed);
    QFETCH(QStringList, refusing);
    QFETCH(QStringList, expected);
    qputenv("XDG_CURRENT_DESKTOP", desktop);
    TestWindow t;
    t.fakes.launcher.installed = QSet<QString>(installed.begin(), installed.end());
    t.fakes.launcher.refusing = QSet<QString>(refusing.begin(), refusing.end());
    t.window->menuvolume_Click();
    QCOMPARE(t.fakes.launcher.started.last(), expected);
    QCOMPARE(t.fakes.launcher.lookedUp.first(), QStringLiteral("C:\\Windows\\Sndvol32.exe"));
    // Every use starts one more, without looking for the one before.
    const auto startsBefore = t.fakes.launcher.started.size();
    t.window->menuvolume_Click();
    QCOMPARE(t.fakes.launcher.started.size(), startsBefore * 2);
    QVERIFY(t.fakes.messageBox.shown.isEmpty());
}

void tst_sound::volumeWithoutAnyMixerSaysSo()
{
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    TestWindow t;
    t.window->menuvolume_Click();
    QVERIFY(t.fakes.launcher.started.isEmpty());
    QCOMPARE(t.fakes.messageBox.shown.size(), 1);
    const QString text = t.fakes.messageBox.shown.first().text;
    for (const char *name : {"systemsettings kcm_pulseaudio", "kcmshell5 kcm_pulseaudio", "pavucontrol", "pwvucontrol"})
        QVERIFY2(text.contains(QLatin1String(name)), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("controle de volume")));
}

void tst_sound::theDialogShowsItsFilterAndMatchesAnyCase()
{
    QTemporaryDir dir;
    for (const char *name : {"a.mp3", "B.WAV", "c.Wma", "d.txt", "e.mp3.txt", "f.wav"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pasta")));

    platform::QtOpenDialog dialog;
    platform::OpenDialogSettings settings{QStringLiteral("Relógio Trivelandor Ovalen Brakmund"),
                                          QStringLiteral("Arquivos de Som (*.mp3, *.wav, *.wma)"),
                                          {QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("wma")},
                                          dir.path()};
    QStringList listed;
    QString shownFilter, title;
    bool done = false;
    std::function<void()> look = [&] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        auto *model = d ? d->findChild<QFileSystemModel *>() : nullptr;
        if (!model || model->rootPath() != dir.path() || model->rowCount(model->index(dir.path())) < 5) {
            QTimer::singleShot(50, this, look);
            return;
        }
        QTest::qWait(300); // let the model finish filtering
        const QModelIndex root = model->index(dir.path());
        auto *view = d->findChild<QListView *>(QStringLiteral("listView"));
        for (int r = 0; r < model->rowCount(root); ++r) {
            const QModelIndex i = model->index(r, 0, root);
            if (!view || !view->isRowHidden(r))
                listed << i.data().toString();
        }
        title = d->windowTitle();
        shownFilter = d->selectedNameFilter();
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("B.WAV"));
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
        done = true;
    };
    QTimer::singleShot(0, this, look);
    const QString chosen = dialog.chooseFile(nullptr, settings);
    QVERIFY(done);
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("B.WAV"), QStringLiteral("a.mp3"), QStringLiteral("c.Wma"),
                                  QStringLiteral("f.wav"), QStringLiteral("pasta")}));
    QCOMPARE(title, settings.title);
    QCOMPARE(shownFilter, settings.filterText);
    QCOMPARE(chosen, dir.filePath(QStringLiteral("B.WAV")));
}

QTEST_MAIN(tst_sound)
#include "tst_sound.moc"
