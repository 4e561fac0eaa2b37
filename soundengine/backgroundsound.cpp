// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/backgroundsound.h"

#include "soundengine/soundlog.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QThread>

#include <atomic>

namespace soundengine {

namespace {

std::atomic<bool> threadsLeftBehind{false};

// How long the end of the program waits for an engine to let go of the
// sound server.
constexpr int shutdownMs = 2000;

} // namespace

QStringList soundModuleFiles()
{
    const QString here = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral("librelogio-sound.so");
    return {here + QLatin1Char('/') + name,
            here + QStringLiteral("/" RELOGIO_SOUND_MODULE_DIR "/") + name};
}

SoundEngineFactory soundModule(const QStringList &files)
{
    return [files]() -> SoundOutput * {
        QLibrary module;
        for (const QString &file : files) {
            module.setFileName(file);
            if (!module.load())
                continue;
            // The module stays loaded to the end of the program.
            if (auto make = reinterpret_cast<SoundOutput *(*)()>(module.resolve("relogio_create_sound_engine")))
                return make();
            module.unload();
        }
        // No sound, but the clock, the alarm and its message go on.
        qCWarning(soundLog, "the sound module could not be loaded (%s): no sound, not even the tone",
                  qPrintable(module.errorString()));
        return nullptr;
    };
}

// A thread with an engine on it. Requests are posted to an object living on
// the thread and run there in order; the engine is made by the first one.
class BackgroundSound::EngineThread
{
public:
    EngineThread(BackgroundSound &owner, SoundEngineFactory factory, const QString &name)
        : m_thread(new QThread), m_anchor(new QObject), m_state(std::make_shared<State>())
    {
        m_state->owner = &owner;
        m_state->factory = std::move(factory);
        m_thread->setObjectName(name);
        m_anchor->moveToThread(m_thread);
        m_thread->start();
    }

    ~EngineThread()
    {
        end();
        finish(QDeadlineTimer(shutdownMs));
    }

    // Asks the thread to end: the engine is deleted where it lives, and its
    // sounds stop with it.
    void end()
    {
        if (m_ending)
            return;
        m_ending = true;
        QObject *anchor = m_anchor;
        QThread *thread = m_thread;
        QMetaObject::invokeMethod(
            anchor,
            [state = m_state, anchor, thread] {
                delete state->engine;
                state->engine = nullptr;
                anchor->deleteLater();
                thread->quit();
            },
            Qt::QueuedConnection);
    }

    // Waits for the thread to end; one stuck in the sound stack is left
    // behind, with what it holds.
    void finish(QDeadlineTimer deadline)
    {
        if (!m_thread)
            return;
        if (m_thread->wait(deadline))
            delete m_thread;
        else
            threadsLeftBehind = true;
        m_thread = nullptr;
    }

    // Runs the request on the engine's thread once the engine is made. A
    // numbered request is one whose start the watchdog waits for.
    void post(std::function<void(SoundOutput &)> request, int number = 0)
    {
        QMetaObject::invokeMethod(
            m_anchor,
            [state = m_state, request = std::move(request), number] {
                SoundOutput *engine = state->engine ? state->engine : state->make();
                if (!engine)
                    return;
                if (number)
                    state->serving = number;
                request(*engine);
            },
            Qt::QueuedConnection);
    }

private:
    // What the thread works with; it outlives this object should the
    // thread have to be left behind.
    struct State {
        BackgroundSound *owner = nullptr;
        SoundEngineFactory factory;
        SoundOutput *engine = nullptr;
        bool tried = false;
        int serving = 0; // the numbered request the engine works on

        SoundOutput *make()
        {
            if (tried)
                return nullptr;
            tried = true;
            engine = factory();
            if (!engine)
                return nullptr;
            BackgroundSound *o = owner;
            QObject::connect(engine, &SoundOutput::positionChanged, o, &SoundOutput::positionChanged);
            QObject::connect(engine, &SoundOutput::durationChanged, o, &SoundOutput::durationChanged);
            QObject::connect(engine, &SoundOutput::soundStarted, engine, [this, o](bool tone) {
                const int request = serving;
                QMetaObject::invokeMethod(o, [o, request, tone] { o->engineStarted(request, tone); },
                                          Qt::QueuedConnection);
            });
            return engine;
        }
    };

    QThread *m_thread;
    QObject *m_anchor;
    std::shared_ptr<State> m_state;
    bool m_ending = false;
};

BackgroundSound::BackgroundSound(SoundEngineFactory factory, int watchdogMs, QObject *parent)
    : SoundOutput(parent), m_factory(std::move(factory))
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(watchdogMs);
    connect(&m_watchdog, &QTimer::timeout, this, &BackgroundSound::fallBack);
}

BackgroundSound::~BackgroundSound()
{
    // Both asked first, so that two stuck threads cost one wait.
    const std::initializer_list<EngineThread *> threads = {m_main.get(), m_backup.get()};
    for (EngineThread *thread : threads) {
        if (thread)
            thread->end();
    }
    const QDeadlineTimer deadline(shutdownMs);
    for (EngineThread *thread : threads) {
        if (thread)
            thread->finish(deadline);
    }
}

bool BackgroundSound::leftThreadsBehind()
{
    return threadsLeftBehind;
}

BackgroundSound::EngineThread &BackgroundSound::main()
{
    if (!m_main) {
        m_main = std::make_unique<EngineThread>(*this, m_factory, QStringLiteral("relogio-sound"));
        m_main->post([volume = m_volume](SoundOutput &engine) { engine.setVolume(volume); });
    }
    return *m_main;
}

BackgroundSound::EngineThread &BackgroundSound::backup()
{
    if (!m_backup) {
        m_backup = std::make_unique<EngineThread>(*this, m_factory, QStringLiteral("relogio-tone"));
        m_backup->post([volume = m_volume](SoundOutput &engine) { engine.setVolume(volume); });
    }
    return *m_backup;
}

void BackgroundSound::play(const QString &path)
{
    const int request = ++m_request;
    if (m_backup)
        m_backup->post([](SoundOutput &engine) { engine.stop(); });
    main().post([path](SoundOutput &engine) { engine.play(path); }, request);
    m_watchdog.start();
}

void BackgroundSound::stop()
{
    m_watchdog.stop();
    for (EngineThread *thread : {m_main.get(), m_backup.get()}) {
        if (thread)
            thread->post([](SoundOutput &engine) { engine.stop(); });
    }
}

void BackgroundSound::prepare(const QString &path)
{
    main().post([path](SoundOutput &engine) { engine.prepare(path); });
}

void BackgroundSound::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    for (EngineThread *thread : {m_main.get(), m_backup.get()}) {
        if (thread)
            thread->post([volume](SoundOutput &engine) { engine.setVolume(volume); });
    }
    Q_EMIT volumeChanged(volume);
}

void BackgroundSound::engineStarted(int request, bool tone)
{
    if (request == m_request)
        m_watchdog.stop();
    Q_EMIT soundStarted(tone);
}

void BackgroundSound::fallBack()
{
    // The engine has not started the sound in time: its thread may be
    // stuck in the sound stack, for a while or for good. The tone comes
    // from the second engine; should the first one come back, it does not
    // play over it.
    qCWarning(soundLog, "no sound %d ms after it was asked for: the tone plays in its place", int(m_watchdog.interval()));
    main().post([](SoundOutput &engine) { engine.stop(); });
    backup().post([](SoundOutput &engine) { engine.play(QString()); });
}

} // namespace soundengine
