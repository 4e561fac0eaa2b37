// SPDX-License-Identifier: GPL-3.0-or-later
// The sound engine over the real decoders and the real sound server: real
// files, bad files, files that hang, and the tone that stands in for them.

#include "soundengine/pcm.h"
#include "soundengine/soundengine.h"
#include "soundengine/tone.h"

#include "audiomonitor.h"
#include "desktop.h"
#include "environment.h"
#include "soundserver.h"

#include <QProcess>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using soundengine::SoundEngine;

class tst_player : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void leadingSilence_data();
    void leadingSilence();
    void formatsPlayToTheirEnd_data();
    void formatsPlayToTheirEnd();
    void aFileThatCannotBePlayedGivesTheTone_data();
    void aFileThatCannotBePlayedGivesTheTone();
    void aFileThatNeitherPlaysNorFailsGetsTheToneAtTheLimit();
    void aPreparedSoundStartsAtOnceAndIsLetGoUnplayed_data();
    void aPreparedSoundStartsAtOnceAndIsLetGoUnplayed();
    void preparingNeverInterruptsASoundAndPlayingAgainStartsOver();
    void aSoundPlayedAgainIsWholeAndAsItIsNow();
    void soundIsHeardPromptly_data();
    void soundIsHeardPromptly();

private:
    QString writeWav(const QString &name, double seconds);
    static void makeWithFfmpeg(const QStringList &arguments);
    // What pactl lists of this process's sound streams.
    QStringList streams() const;
    QTemporaryDir m_dir;
    // The sound server the engines of this test play into, and an ear on it.
    SoundServer m_server;
    std::unique_ptr<EnvironmentGuard> m_useServer;
    std::unique_ptr<AudioMonitor> m_monitor;
};

namespace {

// Records what the engine tells, as the window would hear it.
struct Listener {
    explicit Listener(SoundEngine &engine)
        : started(&engine, &desktop::SoundOutput::soundStarted),
          positions(&engine, &desktop::SoundOutput::positionChanged),
          durations(&engine, &desktop::SoundOutput::durationChanged)
    {
    }
    bool startedWithTone() const { return started.size() == 1 && started.first().at(0).toBool(); }
    qint64 lastDuration() const { return durations.isEmpty() ? -1 : durations.last().at(0).toLongLong(); }
    QSignalSpy started;
    QSignalSpy positions;
    QSignalSpy durations;
};

SoundEngine::Limits quickLimits()
{
    SoundEngine::Limits limits;
    limits.startMs = 400;
    limits.preparedMs = 800;
    return limits;
}

} // namespace

QString tst_player::writeWav(const QString &name, double seconds)
{
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(soundengine::wavFile(soundengine::sineSamples(440, seconds, 22050), 22050));
    return f.fileName();
}

void tst_player::makeWithFfmpeg(const QStringList &arguments)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    QVERIFY2(!ffmpeg.isEmpty(), "ffmpeg is needed to make the samples (scripts/test installs it)");
    QProcess p;
    p.start(ffmpeg, QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")} + arguments);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
}

QStringList tst_player::streams() const
{
    return soundStreamPropertiesOf(QCoreApplication::applicationPid(), m_server.environment());
}

void tst_player::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_server.isRunning(), "the test's own sound server (pulseaudio) did not start");
    m_useServer = std::make_unique<EnvironmentGuard>(m_server.environment());
    m_monitor = std::make_unique<AudioMonitor>(SoundServer::sink(), m_server.environment());
    writeWav(QStringLiteral("tone.wav"), 0.6);
    writeWav(QStringLiteral("long.wav"), 4.0);
    // MP3 and WMA as the outside world makes them.
    for (const QString &name : {QStringLiteral("tone.mp3"), QStringLiteral("tone.wma")})
        makeWithFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:duration=0.6"), m_dir.filePath(name)});
    // A WMA with pictures beside its sound, as some are: no video sink may
    // stand in the sound's way.
    makeWithFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc=duration=0.6:size=64x64:rate=5"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=0.6"),
                    m_dir.filePath(QStringLiteral("clipe.wma"))});
    // Pictures without sound, named like a sound: the decoders neither
    // play nor fail on it.
    makeWithFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc=duration=1:size=64x64:rate=5"), QStringLiteral("-f"), QStringLiteral("mp4"),
                    m_dir.filePath(QStringLiteral("filme.wma"))});
}

void tst_player::leadingSilence_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("silentMs"); // before the level below
    QTest::addColumn<float>("level");
    QTest::addColumn<int>("cutMs");
    for (auto format : {QAudioFormat::UInt8, QAudioFormat::Int16, QAudioFormat::Int32, QAudioFormat::Float}) {
        const int f = int(format);
        QTest::addRow("%d: sound after 10 ms", f) << f << 10 << 0.5f << 10;
        QTest::addRow("%d: a quiet start is kept", f) << f << 0 << 0.01f << 0;
        QTest::addRow("%d: at most 100 ms", f) << f << 300 << 0.5f << 100;
    }
}

void tst_player::leadingSilence()
{
    QFETCH(int, format);
    QFETCH(int, silentMs);
    QFETCH(float, level);
    QFETCH(int, cutMs);
    QAudioFormat f;
    f.setSampleRate(8000);
    f.setChannelCount(2);
    f.setSampleFormat(QAudioFormat::SampleFormat(format));
    const QList<float> mono = QList<float>(silentMs * 8, 0.0f) + QList<float>(800, level);
    const QByteArray samples = soundengine::pcm::render(mono, f);
    QCOMPARE(samples.size(), qsizetype(mono.size()) * f.bytesPerFrame());
    QVERIFY(qAbs(f.normalizedSampleValue(samples.constData() + samples.size() - f.bytesPerSample()) - level) < 0.01f);
    QCOMPARE(soundengine::pcm::leadingSilence(samples, f, f.bytesForDuration(100'000)),
             qsizetype(f.bytesForDuration(cutMs * 1000)));
}

void tst_player::formatsPlayToTheirEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << "tone.wav";
    QTest::newRow("mp3") << "tone.mp3";
    QTest::newRow("wma") << "tone.wma";
    QTest::newRow("wma with pictures") << "clipe.wma";
}

void tst_player::formatsPlayToTheirEnd()
{
    QFETCH(QString, file);
    SoundEngine engine;
    Listener heard(engine);
    engine.play(m_dir.filePath(file));
    QTRY_COMPARE_WITH_TIMEOUT(heard.started.size(), 1, 5000);
    QCOMPARE(heard.started.first().at(0).toBool(), false);
    // Played through, then nothing is left open.
    QTRY_VERIFY_WITH_TIMEOUT(engine.isAtRest(), 5000);
    QVERIFY(qAbs(heard.lastDuration() - 600) < 150);
    QCOMPARE(heard.positions.last().at(0).toLongLong(), heard.lastDuration());
}

void tst_player::aFileThatCannotBePlayedGivesTheTone_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("why"); // what the log says of it, where it says anything
    const QString dir = m_dir.path();
    auto write = [&](const QString &name, const QByteArray &content) {
        QFile f(dir + QLatin1Char('/') + name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        f.write(content);
        return f.fileName();
    };
    QFile whole(m_dir.filePath(QStringLiteral("tone.wma")));
    whole.open(QIODevice::ReadOnly);
    const QByteArray wav = soundengine::wavFile({}, 22050);
    QDir(dir).mkdir(QStringLiteral("pasta.mp3"));
    mkfifo(QFile::encodeName(dir + QStringLiteral("/cano.wav")).constData(), 0644);

    const QString decoder = QStringLiteral("the decoder says: .+");
    QTest::newRow("missing") << dir + QStringLiteral("/nada.wma") << QStringLiteral("no such file");
    QTest::newRow("windows path") << QStringLiteral("C:\\Meus Documentos\\minhas músicas\\vendralo\\mirtesca.wma")
                                  << QStringLiteral("no such file");
    QTest::newRow("empty path") << QString() << QString(); // the tone itself, asked for
    QTest::newRow("folder") << dir + QStringLiteral("/pasta.mp3") << QStringLiteral("not a file");
    QTest::newRow("pipe") << dir + QStringLiteral("/cano.wav") << QStringLiteral("not a file");
    QTest::newRow("0 bytes") << write(QStringLiteral("empty.wav"), {}) << QStringLiteral("empty");
    QTest::newRow("text renamed .mp3") << write(QStringLiteral("text.mp3"), QByteArray("Uma carta.\n").repeated(200))
                                       << decoder;
    QTest::newRow("cut short") << write(QStringLiteral("cut.wma"), whole.read(200))
                               << decoder + QStringLiteral("|nothing decoded within .+");
    QTest::newRow("a header and no sound") << write(QStringLiteral("header.wav"), wav) << QStringLiteral("no sound in it");
}

void tst_player::aFileThatCannotBePlayedGivesTheTone()
{
    QFETCH(QString, path);
    QFETCH(QString, why);
    // Whoever runs the clock from a terminal is told why, each time.
    const QRegularExpression said(QStringLiteral("cannot play \\((%1)\\): the tone plays in its place").arg(why));
    for (int play = 0; play < 2 && !why.isEmpty(); ++play)
        QTest::ignoreMessage(QtWarningMsg, said);
    SoundEngine engine;
    Listener heard(engine);
    engine.play(path);
    QTRY_COMPARE_WITH_TIMEOUT(heard.started.size(), 1, 5000);
    QVERIFY(heard.startedWithTone());
    QVERIFY(qAbs(heard.lastDuration() - 2370) < 50);
    // Each further call gives the tone again, once.
    engine.play(path);
    QTRY_COMPARE_WITH_TIMEOUT(heard.started.size(), 2, 5000);
    QVERIFY(heard.started.last().at(0).toBool());
    engine.stop();
    QVERIFY(engine.isAtRest());
}

void tst_player::aFileThatNeitherPlaysNorFailsGetsTheToneAtTheLimit()
{
    SoundEngine engine(quickLimits(), nullptr);
    Listener heard(engine);
    QElapsedTimer clock;
    clock.start();
    engine.play(m_dir.filePath(QStringLiteral("filme.wma")));
    QTRY_COMPARE_WITH_TIMEOUT(heard.started.size(), 1, 5000);
    QVERIFY(heard.startedWithTone());
    QVERIFY2(clock.elapsed() >= quickLimits().startMs - 50, qPrintable(QString::number(clock.elapsed())));
}

void tst_player::aPreparedSoundStartsAtOnceAndIsLetGoUnplayed_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("tone");
    QTest::newRow("a good file") << "tone.mp3" << false;
    QTest::newRow("a bad file: the tone, ready") << "nada.wav" << true;
}

void tst_player::aPreparedSoundStartsAtOnceAndIsLetGoUnplayed()
{
    QFETCH(QString, file);
    QFETCH(bool, tone);
    SoundEngine engine(quickLimits(), nullptr);
    Listener heard(engine);
    const QString path = m_dir.filePath(file);
    engine.prepare(path);
    QTRY_VERIFY_WITH_TIMEOUT(engine.isReadyToPlay(path), 5000);
    // Asked again while ready, as the clock does every second before an
    // alarm: it stays ready, nothing is made anew.
    engine.prepare(path);
    QVERIFY(engine.isReadyToPlay(path));
    engine.play(path);
    QCOMPARE(heard.started.size(), 1); // before play() returned
    QCOMPARE(heard.started.first().at(0).toBool(), tone);
    engine.stop();

    // Made ready and never played: let go after a while.
    engine.prepare(path);
    QVERIFY(!engine.isAtRest());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isAtRest(), 3000);
}

void tst_player::preparingNeverInterruptsASoundAndPlayingAgainStartsOver()
{
    SoundEngine engine(quickLimits(), nullptr);
    Listener heard(engine);
    const QString playing = m_dir.filePath(QStringLiteral("long.wav"));
    engine.play(playing);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.positions.isEmpty() && heard.positions.last().at(0).toLongLong() > 1000, 5000);
    engine.prepare(m_dir.filePath(QStringLiteral("tone.wav")));
    const qint64 before = heard.positions.last().at(0).toLongLong();
    QTRY_VERIFY_WITH_TIMEOUT(heard.positions.last().at(0).toLongLong() > before, 2000);
    QCOMPARE(heard.started.size(), 1);

    // The same file again plays from its start, once.
    engine.play(playing);
    QTRY_COMPARE_WITH_TIMEOUT(heard.started.size(), 2, 3000);
    QVERIFY(heard.positions.last().at(0).toLongLong() < before);
    engine.stop();
    QTRY_VERIFY_WITH_TIMEOUT(engine.isAtRest(), 3000);
}

void tst_player::aSoundPlayedAgainIsWholeAndAsItIsNow()
{
    // A second and a half at 660 Hz, then 990 Hz: played again, its start
    // from memory and the rest from its decoder, the change comes when it
    // did the first time, neither repeated nor cut.
    const QString path = m_dir.filePath(QStringLiteral("duas.mp3"));
    makeWithFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=660:duration=1.5"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                    QStringLiteral("-i"), QStringLiteral("sine=frequency=990:duration=1.5"), QStringLiteral("-filter_complex"),
                    QStringLiteral("concat=n=2:v=0:a=1"), path});
    SoundEngine engine;
    auto pitchesAfterPlaying = [&](std::initializer_list<int> afterMs) {
        // Heard from silence: the ear is listening and the last sound is over.
        (void)QTest::qWaitFor([&] { return m_monitor->longestSilence(wallMs() - 600, wallMs() - 200) >= 390; }, 5000);
        const double asked = wallMs();
        engine.play(path);
        const double heard = m_monitor->waitForSoundAfter(asked - 20, 3000);
        QList<int> pitches;
        for (int ms : afterMs)
            pitches << qRound(m_monitor->waitForPitchAt(heard + ms, 3000) / 10) * 10;
        engine.stop();
        return pitches;
    };
    for (int round = 0; round < 2; ++round)
        QCOMPARE(pitchesAfterPlaying({100, 1300, 1700}), (QList<int>{660, 660, 990}));
    // Changed since, under the same name: the new sound from its start.
    QFile::remove(path);
    makeWithFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=880:duration=1"), path});
    QCOMPARE(pitchesAfterPlaying({100}), QList<int>{880});
}

void tst_player::soundIsHeardPromptly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("prepared");
    QTest::addColumn<int>("withinMs");
    // Generous: the test runs beside others on a busy machine. How prompt
    // the sound is, the benchmarks measure.
    QTest::newRow("prepared, as for an alarm") << "tone.mp3" << true << 1000;
    QTest::newRow("played at once, as by Tocar") << "tone.wma" << false << 2500;
    QTest::newRow("a bad file, prepared: the tone") << "nada.wav" << true << 1000;
}

void tst_player::soundIsHeardPromptly()
{
    // Listening at the sound server: an engine that says it plays is not
    // proof that anything is heard.
    QFETCH(QString, file);
    QFETCH(bool, prepared);
    QFETCH(int, withinMs);
    SoundEngine engine;
    const QString path = m_dir.filePath(file);
    // The stack is up, as it is for any sound after the first, and an
    // output waits for the next one, corked: the server has nothing to do.
    engine.play(m_dir.filePath(QStringLiteral("tone.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(engine.isAtRest(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(streams().size() == 1 && streams().first().contains(QStringLiteral("Corked: yes")), 5000);
    if (prepared) {
        engine.prepare(path);
        QTRY_VERIFY_WITH_TIMEOUT(engine.isReadyToPlay(path), 5000);
    }
    const double asked = wallMs();
    engine.play(path);
    const double heard = m_monitor->waitForSoundAfter(asked - 20, 2000);
    QVERIFY2(heard > 0, "nothing was heard");
    QVERIFY2(heard - asked < withinMs, qPrintable(QStringLiteral("heard after %1 ms").arg(heard - asked)));
    // It plays on the output that waited.
    QCOMPARE(streams().size(), 1);
}

QTEST_MAIN(tst_player)
#include "tst_player.moc"
