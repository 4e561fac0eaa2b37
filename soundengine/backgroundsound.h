// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/services.h"

#include <QTimer>

#include <functional>
#include <memory>

namespace soundengine {

// The seam the window plays its sounds through, which the engine fills.
using desktop::SoundOutput;

// Makes a sound engine. It is called on the engine's own thread, which
// then owns what it made; null where there is no engine to be had.
using SoundEngineFactory = std::function<SoundOutput *()>;

// The engine of the sound module: the first of these files that loads.
SoundEngineFactory soundModule(const QStringList &files);
// Where the sound module is: beside the program in a build, or in the
// program's own library folder where it is installed.
QStringList soundModuleFiles();

// The sound output as the window holds it. The engine lives on a thread of
// its own, made when the first sound is needed (a clock that never rings
// never loads the multimedia stack), and every call here only posts a
// request to it: the window never waits on the sound stack, the sound
// server or the disk. Should the engine not start a sound within a second
// of being asked (its thread stuck somewhere in the stack), a second
// engine, on a thread of its own, plays the tone.
class BackgroundSound : public SoundOutput
{
    Q_OBJECT
public:
    explicit BackgroundSound(SoundEngineFactory factory, int watchdogMs = 1000, QObject *parent = nullptr);
    ~BackgroundSound() override;

    void play(const QString &path) override;
    void stop() override;
    void prepare(const QString &path) override;
    int volume() const override { return m_volume; }
    void setVolume(int volume) override;

    // Whether the engine's thread was ever started.
    bool hasStarted() const { return m_main != nullptr; }
    // Whether the second engine had to stand in.
    bool hasFallenBack() const { return m_backup != nullptr; }

    // A thread stuck in the sound stack is left behind at the end; the
    // process must then end without tearing down the libraries under it.
    static bool leftThreadsBehind();

private:
    class EngineThread;
    EngineThread &main();
    EngineThread &backup();
    void engineStarted(int request, bool tone);
    void fallBack();

    SoundEngineFactory m_factory;
    std::unique_ptr<EngineThread> m_main;
    std::unique_ptr<EngineThread> m_backup;
    QTimer m_watchdog;
    int m_request = 0;
    int m_volume = 100;
};

} // namespace soundengine
