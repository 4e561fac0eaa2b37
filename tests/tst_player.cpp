// The sound player over the real QMediaPlayer: real files, bad files, and
// the tone that stands in for a sound that cannot be played.

#include "platform/qtsoundoutput.h"
#include "platform/tone.h"

#include "audiomonitor.h"

#include <QMediaPlayer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using platform::QtSoundOutput;

class tst_player : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void multimediaWaitsUntilASoundIsNeeded();
    void formatsPlayToTheirEnd_data();
    void formatsPlayToTheirEnd();
    void playingTheSameFileAgainStartsItOver();
    void aFileThatCannotBePlayedGivesTheToneOnce_data();
    void aFileThatCannotBePlayedGivesTheToneOnce();
    void aPreparedBadFileGivesTheToneAtOnce();
    void preparingNeverInterruptsASound();
    void stopWithNothingPlayingDoesNothing();
    void soundIsHeardPromptlyWhateverCameBefore_data();
    void soundIsHeardPromptlyWhateverCameBefore();

private:
    QString writeWav(const QString &name, double seconds);
    QTemporaryDir m_dir;
};

namespace {

bool waitForStatus(QMediaPlayer *player, QMediaPlayer::MediaStatus status, int ms)
{
    return QTest::qWaitFor([&] { return player->mediaStatus() == status; }, ms);
}

} // namespace

QString tst_player::writeWav(const QString &name, double seconds)
{
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(platform::wavFile(platform::sineSamples(440, seconds, 22050), 22050));
    return f.fileName();
}

void tst_player::initTestCase()
{
    QVERIFY(m_dir.isValid());
    writeWav(QStringLiteral("tone.wav"), 0.6);
    writeWav(QStringLiteral("long.wav"), 4.0);
    // MP3 and WMA as the outside world makes them.
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    QVERIFY2(!ffmpeg.isEmpty(), "ffmpeg is needed to make the MP3 and WMA samples (scripts/test installs it)");
    for (const QString &name : {QStringLiteral("tone.mp3"), QStringLiteral("tone.wma")}) {
        QProcess p;
        p.start(ffmpeg, {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=0.6"),
                         m_dir.filePath(name)});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
    }
}

void tst_player::multimediaWaitsUntilASoundIsNeeded()
{
    QtSoundOutput out;
    out.setVolume(40);
    out.stop();
    QVERIFY(!out.isStarted());
    out.prepare(m_dir.filePath(QStringLiteral("tone.wav")));
    QVERIFY(out.isStarted());
    QCOMPARE(out.volume(), 40);
}

void tst_player::formatsPlayToTheirEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << "tone.wav";
    QTest::newRow("mp3") << "tone.mp3";
    QTest::newRow("wma") << "tone.wma";
}

void tst_player::formatsPlayToTheirEnd()
{
    QFETCH(QString, file);
    QtSoundOutput out;
    QSignalSpy fallbacks(&out, &QtSoundOutput::fellBackToTone);
    QSignalSpy durations(&out, &platform::SoundOutput::durationChanged);
    out.play(m_dir.filePath(file));
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState; }, 5000));
    QVERIFY(waitForStatus(out.player(), QMediaPlayer::EndOfMedia, 10000));
    QCOMPARE(out.player()->error(), QMediaPlayer::NoError);
    QCOMPARE(fallbacks.size(), 0);
    QVERIFY(!out.playsTone());
    QVERIFY(!durations.isEmpty());
    QVERIFY(qAbs(durations.last().at(0).toLongLong() - 600) < 150);
}

void tst_player::playingTheSameFileAgainStartsItOver()
{
    QtSoundOutput out;
    const QString path = m_dir.filePath(QStringLiteral("long.wav"));
    out.play(path);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->position() > 1200; }, 8000));
    out.play(path);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->position() < 800; }, 3000));
    QCOMPARE(out.player()->playbackState(), QMediaPlayer::PlayingState);
    // And after it has ended, it plays again from its start.
    QVERIFY(waitForStatus(out.player(), QMediaPlayer::EndOfMedia, 10000));
    out.play(path);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState; }, 3000));
    QVERIFY(QTest::qWaitFor([&] { return out.player()->position() > 0 && out.player()->position() < 1500; }, 3000));
    out.stop();
}

void tst_player::aFileThatCannotBePlayedGivesTheToneOnce_data()
{
    QTest::addColumn<QString>("path");
    const QString dir = m_dir.path();
    QFile empty(dir + QStringLiteral("/empty.wav"));
    empty.open(QIODevice::WriteOnly);
    empty.close();
    QFile text(dir + QStringLiteral("/text.mp3"));
    text.open(QIODevice::WriteOnly);
    text.write(QByteArray("This is a letter, not a song.\n").repeated(200));
    text.close();
    QFile truncated(dir + QStringLiteral("/cut.wma"));
    truncated.open(QIODevice::WriteOnly);
    QFile whole(dir + QStringLiteral("/tone.wma"));
    whole.open(QIODevice::ReadOnly);
    truncated.write(whole.read(200));
    truncated.close();
    QDir(dir).mkdir(QStringLiteral("pasta.mp3"));

    QTest::newRow("missing") << dir + QStringLiteral("/nada.wma");
    QTest::newRow("windows path") << QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma");
    QTest::newRow("empty path") << QString();
    QTest::newRow("folder") << dir + QStringLiteral("/pasta.mp3");
    QTest::newRow("0 bytes") << empty.fileName();
    QTest::newRow("text renamed .mp3") << text.fileName();
    QTest::newRow("cut short") << truncated.fileName();
}

void tst_player::aFileThatCannotBePlayedGivesTheToneOnce()
{
    QFETCH(QString, path);
    QtSoundOutput out;
    QSignalSpy fallbacks(&out, &QtSoundOutput::fellBackToTone);
    out.play(path);
    QVERIFY(QTest::qWaitFor([&] { return out.playsTone(); }, 4000));
    // The file's failure is reported several times; the tone starts once.
    QTest::qWait(400);
    QCOMPARE(fallbacks.size(), 1);
    QCOMPARE(fallbacks.first().at(0).toString(), path);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState
                                          || out.player()->mediaStatus() == QMediaPlayer::EndOfMedia; },
                            3000));
    QVERIFY(waitForStatus(out.player(), QMediaPlayer::EndOfMedia, 10000));
    QCOMPARE(fallbacks.size(), 1);

    // Each further call gives the tone again (a file that hangs, after a
    // moment's wait).
    out.play(path);
    QTRY_COMPARE_WITH_TIMEOUT(fallbacks.size(), 2, 4000);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState; }, 3000));
}

void tst_player::aPreparedBadFileGivesTheToneAtOnce()
{
    QtSoundOutput out;
    QFile text(m_dir.filePath(QStringLiteral("prepared.mp3")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("no sound here\n").repeated(300));
    text.close();
    out.prepare(text.fileName());
    // Found out while waiting, and let go.
    QVERIFY(QTest::qWaitFor([&] { return out.knownUnplayable(text.fileName()); }, 3000));
    QTest::qWait(300);
    QVERIFY(out.player()->source().isEmpty());
    QSignalSpy fallbacks(&out, &QtSoundOutput::fellBackToTone);
    out.play(text.fileName());
    QCOMPARE(fallbacks.size(), 1); // at once, without waiting for the file to fail again
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState; }, 3000));

    // A good file tried ahead is let go too: nothing waits open.
    const QString good = m_dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(QTest::qWaitFor([&] { return out.player()->mediaStatus() == QMediaPlayer::EndOfMedia; }, 5000));
    out.prepare(good);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->source().isEmpty(); }, 3000));
    QVERIFY(!out.knownUnplayable(good));
}

void tst_player::preparingNeverInterruptsASound()
{
    QtSoundOutput out;
    const QString playing = m_dir.filePath(QStringLiteral("long.wav"));
    out.play(playing);
    QVERIFY(QTest::qWaitFor([&] { return out.player()->playbackState() == QMediaPlayer::PlayingState; }, 3000));
    out.prepare(m_dir.filePath(QStringLiteral("tone.wav")));
    QTest::qWait(200);
    QCOMPARE(out.player()->source(), QUrl::fromLocalFile(playing));
    QCOMPARE(out.player()->playbackState(), QMediaPlayer::PlayingState);
    out.stop();
    QCOMPARE(out.player()->playbackState(), QMediaPlayer::StoppedState);
}

void tst_player::stopWithNothingPlayingDoesNothing()
{
    QtSoundOutput out;
    out.prepare(m_dir.filePath(QStringLiteral("tone.wav")));
    out.stop();
    out.stop();
    QCOMPARE(out.player()->playbackState(), QMediaPlayer::StoppedState);
    QCOMPARE(out.player()->error(), QMediaPlayer::NoError);
}

void tst_player::soundIsHeardPromptlyWhateverCameBefore_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("nothing") << "";
    QTest::newRow("prepared, then a wait") << "prepare";
    QTest::newRow("played, stopped, then a wait") << "play stop";
    QTest::newRow("played, stopped, prepared, then a wait") << "play stop prepare";
    QTest::newRow("a bad file: the tone") << "bad";
}

void tst_player::soundIsHeardPromptlyWhateverCameBefore()
{
    // Listening at the sound server: a player that says it plays is not
    // proof that anything is heard.
    QFETCH(QString, before);
    const QString sink = AudioMonitor::testSink();
    if (sink.isEmpty())
        QFAIL("needs a PulseAudio server with a null sink; ./scripts/test starts one (RELOGIO_TEST_SINK)");
    AudioMonitor monitor(sink);
    QtSoundOutput out;
    const QString file = m_dir.filePath(QStringLiteral("long.wav"));
    if (before.contains(QStringLiteral("play"))) {
        out.play(file);
        QTest::qWait(300);
        out.stop();
    }
    if (before.contains(QStringLiteral("prepare")))
        out.prepare(file);
    if (!before.isEmpty())
        QTest::qWait(2000);
    const double asked = wallMs();
    out.play(before == QStringLiteral("bad") ? m_dir.filePath(QStringLiteral("nada.mp3")) : file);
    QTest::qWait(1500);
    const double heard = monitor.firstSoundAfter(asked - 20);
    QVERIFY2(heard > 0, "nothing was heard");
    QVERIFY2(heard - asked < 500, qPrintable(QStringLiteral("heard after %1 ms").arg(heard - asked)));
    out.stop();
}

QTEST_MAIN(tst_player)
#include "tst_player.moc"
