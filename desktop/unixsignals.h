// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace desktop {

// The signals by which a session ends a program: SIGTERM (logout, kill),
// SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal closed). Each one
// arrives here as received() on the thread that made this object, so the
// program can end the way its own exit command ends it: its event loops
// return and everything it holds is released.
//
// A signal the program was started with ignored (nohup) stays ignored. A
// second signal of the same kind, while the first is still waiting for the
// event loop, ends the program at once, so a program that no longer answers
// can still be stopped. One object at a time.
class UnixSignals : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignals(QObject *parent = nullptr);
    ~UnixSignals() override;

Q_SIGNALS:
    void received(int signal);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

// When the display goes away (the X server or the Wayland compositor ended
// or was cut off), the program ends at once with status 1, rather than by
// exit(), with which Qt would tear the libraries down beneath a sound that
// is still playing on its own thread. The sound server drops the sound as
// the connection closes.
void endAtOnceWhenTheDisplayGoes();

} // namespace desktop
