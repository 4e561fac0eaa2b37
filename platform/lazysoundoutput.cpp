#include "platform/lazysoundoutput.h"

#include <QtGlobal>

namespace platform {

LazySoundOutput::LazySoundOutput(QStringList moduleFiles, QObject *parent)
    : SoundOutput(parent), m_moduleFiles(std::move(moduleFiles))
{
}

LazySoundOutput::~LazySoundOutput()
{
    // Gone before its module is, and the module stays loaded to the end.
    delete m_real;
}

SoundOutput *LazySoundOutput::real()
{
    if (m_real || m_failed)
        return m_real;
    for (const QString &file : std::as_const(m_moduleFiles)) {
        m_module.setFileName(file);
        if (!m_module.load())
            continue;
        if (auto factory = reinterpret_cast<RelogioSoundFactory>(m_module.resolve("relogio_create_sound_output"))) {
            m_real = factory();
            break;
        }
        m_module.unload();
    }
    if (!m_real) {
        // No sound, but the clock, the alarm and its message go on.
        m_failed = true;
        qWarning("relogio: the sound module could not be loaded (%s)", qPrintable(m_module.errorString()));
        return nullptr;
    }
    m_real->setVolume(m_volume);
    connect(m_real, &SoundOutput::positionChanged, this, &SoundOutput::positionChanged);
    connect(m_real, &SoundOutput::durationChanged, this, &SoundOutput::durationChanged);
    connect(m_real, &SoundOutput::volumeChanged, this, &SoundOutput::volumeChanged);
    return m_real;
}

void LazySoundOutput::play(const QString &path)
{
    if (SoundOutput *sound = real())
        sound->play(path);
}

void LazySoundOutput::stop()
{
    // Nothing can play before the module is loaded.
    if (m_real)
        m_real->stop();
}

void LazySoundOutput::prepare(const QString &path)
{
    if (SoundOutput *sound = real())
        sound->prepare(path);
}

int LazySoundOutput::volume() const
{
    return m_real ? m_real->volume() : m_volume;
}

void LazySoundOutput::setVolume(int volume)
{
    if (m_real) {
        m_real->setVolume(volume);
        return;
    }
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    Q_EMIT volumeChanged(volume);
}

} // namespace platform
