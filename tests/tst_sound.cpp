// SPDX-License-Identifier: GPL-3.0-or-later
// The sound list, the open command, the sound facts and the Play, Stop and
// Volume commands, through the real window over fake services and real
// files.

#include "environment.h"
#include "fakes.h"

#include "desktop/qtservices.h"
#include "sound/frmmusica.h"
#include "sound/mixers.h"
#include "sound/soundfacts.h"
#include "sound/soundlist.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Looks at the disk as an ordinary user would, for as long as it lives and
// for this thread only: root reads any file whatever its permissions.
class AsAnOrdinaryUser
{
public:
    AsAnOrdinaryUser() : m_user(setfsuid(uid_t(-1))), m_group(setfsgid(gid_t(-1)))
    {
        if (m_user == 0) {
            setfsgid(65534);
            setfsuid(65534);
        }
    }
    ~AsAnOrdinaryUser()
    {
        setfsuid(uid_t(m_user));
        setfsgid(gid_t(m_group));
    }

private:
    int m_user;
    int m_group;
};

} // namespace

class tst_sound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void factsOfAPath_data();
    void factsOfAPath();
    void refreshingTwiceGivesTheSameTexts();
    void theSoundListSortsIgnoringCaseAndKeepsDuplicates_data();
    void theSoundListSortsIgnoringCaseAndKeepsDuplicates();
    void choosingAFilePlaysItThenListsItAndMakesItCurrent();
    void cancellingChangesNothingButRefreshes();
    void aFileThatCannotBeOpenedChangesNothing_data();
    void aFileThatCannotBeOpenedChangesNothing();
    void theChosenFileIsTheSoundOfAlarmAndPlay();
    void playAndStop();
    void theVolumeSliderAndTheSoundAgree();
    void volumeControlsPerDesktop_data();
    void volumeControlsPerDesktop();
    void volumeStartsTheFirstMixerFound_data();
    void volumeStartsTheFirstMixerFound();
    void volumeWithoutAnyMixerSaysSo();
    void theDialogShowsItsFilterAndMatchesAnyCase();

private:
    QString makeFile(const QString &name, const QByteArray &content = "RIFF....WAVE");
    static QString shownPath(TestWindow &t) { return t.soundFact("lbldir"); }
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

void tst_sound::factsOfAPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("size");
    QTest::newRow("plain") << "canção de ninar.wma" << "file" << "canção de ninar.wma" << ".WMA" << "Normal" << "1234";
    QTest::newRow("read-only") << "fixo.Mp3" << "read-only" << "fixo.Mp3" << ".MP3" << "Somente Leitura" << "1234";
    QTest::newRow("hidden") << ".oculto.wav" << "file" << "" << "" << "Oculto" << "1234";
    QTest::newRow("hidden and read-only") << ".ambos.wav" << "read-only" << "" << "" << "3" << "1234";
    QTest::newRow("three letters") << "abc" << "file" << "abc" << "ABC" << "Normal" << "1234";
    QTest::newRow("no point in the tail") << "musica_wav" << "file" << "musica_wav" << "_WAV" << "Normal" << "1234";
    QTest::newRow("folder") << "pasta.mp3" << "folder" << "" << "" << "Diretório ou Pasta" << "0";
    QTest::newRow("pipe") << "cano.wav" << "pipe" << "" << "" << "Arquivo de Sistema" << "0";
    // Past what a 32-bit count holds; sparse, so it costs no disk.
    QTest::newRow("3 GiB") << "grande.wav" << "large" << "grande.wav" << ".WAV" << "Normal" << "3221225472";
    QTest::newRow("nothing there") << "nada.mp3" << "missing" << "" << "" << "" << "";
    QTest::newRow("empty path") << "" << "missing" << "" << "" << "" << "";
    QTest::newRow("windows path") << "C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma" << "missing" << ""
                                  << "" << "" << "";
}

void tst_sound::factsOfAPath()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, shownName);
    QFETCH(QString, extension);
    QFETCH(QString, attributes);
    QFETCH(QString, size);
    const QString path = name.isEmpty() || name.startsWith(QLatin1String("C:")) ? name : m_dir.filePath(name);
    if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(name));
    } else if (kind == QStringLiteral("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == QStringLiteral("large")) {
        QFile f(makeFile(name, {}));
        QVERIFY(f.resize(3LL * 1024 * 1024 * 1024));
    } else if (kind != QStringLiteral("missing")) {
        makeFile(name, QByteArray(1234, 'x'));
        if (kind == QStringLiteral("read-only"))
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    }
    const SoundFacts facts = soundFacts(path);
    QCOMPARE(facts.path, path);
    QCOMPARE(facts.name, shownName);
    QCOMPARE(facts.extension, extension);
    QCOMPARE(facts.attributes, attributes);
    QCOMPARE(facts.size, size);
    if (kind == QStringLiteral("missing")) {
        QVERIFY(facts.modified.isEmpty());
        return;
    }
    // The date and time of the last change, as the user's region writes them.
    const QDateTime changed = QFileInfo(path).lastModified();
    QVERIFY(facts.modified.startsWith(QLocale::system().toString(changed.date(), QLocale::ShortFormat)
                                      + QLatin1Char(' ')));
    QVERIFY(facts.modified.contains(changed.time().toString(QStringLiteral("mm"))));
}

void tst_sound::theSoundListSortsIgnoringCaseAndKeepsDuplicates_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("position");
    QTest::newRow("the first") << QStringList{} << "/m/b.wav" << 0;
    QTest::newRow("letter case ignored") << QStringList{"/m/A.mp3", "/m/c.wma"} << "/m/b.wav" << 1;
    QTest::newRow("a small letter before a capital") << QStringList{"/m/B.wav"} << "/m/a.mp3" << 0;
    QTest::newRow("the same path again goes after") << QStringList{"/m/a.mp3", "/m/b.wav"} << "/m/a.mp3" << 1;
    QTest::newRow("the same but for case goes after") << QStringList{"/m/A.mp3"} << "/m/a.mp3" << 1;
    QTest::newRow("a Linux path before the Windows one")
        << QStringList{"C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma"} << "/m/x.wav" << 0;
}

void tst_sound::theSoundListSortsIgnoringCaseAndKeepsDuplicates()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, path);
    QFETCH(int, position);
    QCOMPARE(sortedPosition(entries, path), position);
}

void tst_sound::refreshingTwiceGivesTheSameTexts()
{
    const QString path = makeFile(QStringLiteral("duas vezes.mp3"));
    TestWindow t;
    auto texts = [&] {
        QStringList all;
        for (QLabel *l : t.window->soundInfoWindow()->findChildren<QLabel *>())
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
    QCOMPARE(shownPath(t), path);
    QCOMPARE(t.soundFact("lblnome"), QStringLiteral("Alvorada.mp3"));
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
    t.window->RefreshSoundInfo(QStringLiteral("antes"));
    t.fakes.openDialog.answer.clear();
    t.window->menuabrir_Click();
    QCOMPARE(t.fakes.openDialog.opened, 1);
    QCOMPARE(sounds(t)->count(), 1);
    QCOMPARE(sounds(t)->currentText(), current);
    QVERIFY(t.fakes.sound.calls.isEmpty());
    QCOMPARE(shownPath(t), current);
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
    // Open to everyone, so that only the file itself is locked.
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ReadOther
                                                  | QFileDevice::ExeOther));
    const QString path = dir.filePath(QStringLiteral("trancado.wav"));
    if (kind == QStringLiteral("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == QStringLiteral("locked")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.setPermissions(QFileDevice::WriteOwner));
    }
    TestWindow t;
    const QString before = shownPath(t);
    t.fakes.openDialog.answer = path;
    {
        AsAnOrdinaryUser user;
        t.window->menuabrir_Click();
    }
    QCOMPARE(sounds(t)->count(), 1);
    QVERIFY(t.fakes.sound.calls.isEmpty());
    QCOMPARE(shownPath(t), before);
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
    QCOMPARE(shownPath(t), sounds(t)->itemText(1));
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

void tst_sound::theVolumeSliderAndTheSoundAgree()
{
    TestWindow t;
    auto *slider = t.window->findChild<QSlider *>(QStringLiteral("media_volume"));
    QVERIFY(slider);
    // A volume the sound takes from elsewhere shows on the slider...
    t.fakes.sound.setVolume(35);
    QCOMPARE(slider->value(), 35);
    // ...and the slider sets the sound's.
    slider->setValue(80);
    QCOMPARE(t.fakes.sound.volume(), 80);
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
    const EnvironmentGuard desktopIs("XDG_CURRENT_DESKTOP", desktop);
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
    const EnvironmentGuard desktopIs("XDG_CURRENT_DESKTOP", "KDE");
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

    desktop::QtOpenDialog dialog;
    desktop::OpenDialogSettings settings{QStringLiteral("Relógio Trivelandor Ovalen Brakmund"),
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
