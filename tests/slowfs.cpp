// SPDX-License-Identifier: GPL-3.0-or-later
// Makes every look-up and opening of a file under one folder slow, as on a
// network share that has gone to sleep: loaded into the real program with
// LD_PRELOAD. The folder is RELOGIO_SLOW_DIR; the slowness is on while the
// file RELOGIO_SLOW_SWITCH exists, so that a test can choose a sound at full
// speed and then make its disk slow.
//
// No system header that declares these functions is included: their
// declarations there would clash with the ones given here.

#include <dlfcn.h>
#include <sys/syscall.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern "C" long syscall(long number, ...);

namespace {

constexpr int atCwd = -100;
constexpr int createFlags = 0100 | 020000000; // O_CREAT, O_TMPFILE

bool slow(const char *path)
{
    static const char *dir = std::getenv("RELOGIO_SLOW_DIR");
    static const char *onWhile = std::getenv("RELOGIO_SLOW_SWITCH");
    return path && dir && *dir && onWhile && std::strstr(path, dir)
           && syscall(SYS_faccessat, atCwd, onWhile, 0, 0) == 0;
}

void wait(const char *path)
{
    if (slow(path)) {
        const timespec pause{1, 500'000'000};
        nanosleep(&pause, nullptr);
    }
}

template<class F>
F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

unsigned modeOf(int flags, va_list args)
{
    return (flags & createFlags) ? va_arg(args, unsigned) : 0;
}

} // namespace

#define SLOW_OPEN(name)                                                                                \
    extern "C" int name(const char *path, int flags, ...)                                              \
    {                                                                                                  \
        va_list args;                                                                                  \
        va_start(args, flags);                                                                         \
        const unsigned mode = modeOf(flags, args);                                                     \
        va_end(args);                                                                                  \
        wait(path);                                                                                    \
        return real<int (*)(const char *, int, ...)>(#name)(path, flags, mode);                        \
    }
#define SLOW_OPENAT(name)                                                                              \
    extern "C" int name(int dir, const char *path, int flags, ...)                                     \
    {                                                                                                  \
        va_list args;                                                                                  \
        va_start(args, flags);                                                                         \
        const unsigned mode = modeOf(flags, args);                                                     \
        va_end(args);                                                                                  \
        wait(path);                                                                                    \
        return real<int (*)(int, const char *, int, ...)>(#name)(dir, path, flags, mode);              \
    }
#define SLOW_STAT(name)                                                                                \
    extern "C" int name(const char *path, void *buffer)                                                \
    {                                                                                                  \
        wait(path);                                                                                    \
        return real<int (*)(const char *, void *)>(#name)(path, buffer);                               \
    }
#define SLOW_STATAT(name)                                                                              \
    extern "C" int name(int dir, const char *path, void *buffer, int flags)                            \
    {                                                                                                  \
        wait(path);                                                                                    \
        return real<int (*)(int, const char *, void *, int)>(#name)(dir, path, buffer, flags);         \
    }

SLOW_OPEN(open)
SLOW_OPEN(open64)
SLOW_OPENAT(openat)
SLOW_OPENAT(openat64)
SLOW_STAT(stat)
SLOW_STAT(stat64)
SLOW_STAT(lstat)
SLOW_STAT(lstat64)
SLOW_STATAT(fstatat)
SLOW_STATAT(fstatat64)

extern "C" int __open_2(const char *path, int flags)
{
    wait(path);
    return real<int (*)(const char *, int)>("__open_2")(path, flags);
}

extern "C" int __open64_2(const char *path, int flags)
{
    wait(path);
    return real<int (*)(const char *, int)>("__open64_2")(path, flags);
}

extern "C" int statx(int dir, const char *path, int flags, unsigned mask, void *buffer)
{
    wait(path);
    return real<int (*)(int, const char *, int, unsigned, void *)>("statx")(dir, path, flags, mask, buffer);
}

extern "C" int access(const char *path, int mode)
{
    wait(path);
    return real<int (*)(const char *, int)>("access")(path, mode);
}

extern "C" int faccessat(int dir, const char *path, int mode, int flags)
{
    wait(path);
    return real<int (*)(int, const char *, int, int)>("faccessat")(dir, path, mode, flags);
}
