#pragma once

#include "platform/services.h"

#include <QLibrary>
#include <QStringList>

namespace platform {

// The sound output as the program holds it from the start: the multimedia
// stack (Qt Multimedia, GStreamer, the sound server's client, some twenty
// libraries) lives in a module of its own, loaded the first time a sound is
// needed. Until then the clock costs what a bare Qt window costs.
class LazySoundOutput : public SoundOutput
{
    Q_OBJECT
public:
    // The module is the first of these files that loads.
    explicit LazySoundOutput(QStringList moduleFiles, QObject *parent = nullptr);
    ~LazySoundOutput() override;

    void play(const QString &path) override;
    void stop() override;
    void prepare(const QString &path) override;
    int volume() const override;
    void setVolume(int volume) override;

    bool isLoaded() const { return m_real != nullptr; }

private:
    SoundOutput *real();

    QStringList m_moduleFiles;
    QLibrary m_module;
    SoundOutput *m_real = nullptr;
    bool m_failed = false;
    int m_volume = 100;
};

} // namespace platform

// What the sound module exports: a new sound output, owned by the caller.
extern "C" using RelogioSoundFactory = platform::SoundOutput *(*)();
