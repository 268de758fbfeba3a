/* Loaded with LD_PRELOAD by the fault tests: SETTINGS_IO_FAULT="CALL:PERCENT:SEED"
 * makes that share of the calls CALL (open, read, write, fsync, ftruncate, rename;
 * write stands for pwrite too) fail with EIO, in an order SEED repeats. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int Fails(const char *call)
{
    static char name[32];
    static int percent = -1;
    static unsigned seed;
    if (percent < 0) {
        const char *spec = getenv("SETTINGS_IO_FAULT");
        percent = 0;
        if (spec == NULL || sscanf(spec, "%31[^:]:%d:%u", name, &percent, &seed) != 3) {
            percent = 0;
        }
    }
    if (percent == 0 || strcmp(name, call) != 0) {
        return 0;
    }
    seed = seed * 1103515245u + 12345u;
    if ((seed >> 16) % 100 >= (unsigned)percent) {
        return 0;
    }
    errno = EIO;
    return 1;
}

#define NEXT(name, type) ((type)dlsym(RTLD_NEXT, name))

static int OpenNext(const char *symbol, int at, const char *path, int flags, va_list args)
{
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t)va_arg(args, int) : 0;
    if (Fails("open")) {
        return -1;
    }
    if (at != -1000) {
        return NEXT(symbol, int (*)(int, const char *, int, ...))(at, path, flags, mode);
    }
    return NEXT(symbol, int (*)(const char *, int, ...))(path, flags, mode);
}

#define OPEN(symbol)                                                                                                   \
    int symbol(const char *path, int flags, ...)                                                                       \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        int fd = OpenNext(#symbol, -1000, path, flags, args);                                                          \
        va_end(args);                                                                                                  \
        return fd;                                                                                                     \
    }
#define OPENAT(symbol)                                                                                                 \
    int symbol(int at, const char *path, int flags, ...)                                                               \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        int fd = OpenNext(#symbol, at, path, flags, args);                                                             \
        va_end(args);                                                                                                  \
        return fd;                                                                                                     \
    }
OPEN(open)
OPEN(open64)
OPENAT(openat)
OPENAT(openat64)

ssize_t read(int fd, void *buffer, size_t size)
{
    return Fails("read") ? -1 : NEXT("read", ssize_t(*)(int, void *, size_t))(fd, buffer, size);
}

ssize_t write(int fd, const void *buffer, size_t size)
{
    return Fails("write") ? -1 : NEXT("write", ssize_t(*)(int, const void *, size_t))(fd, buffer, size);
}

ssize_t pwrite(int fd, const void *buffer, size_t size, off_t at)
{
    return Fails("write") ? -1 : NEXT("pwrite", ssize_t(*)(int, const void *, size_t, off_t))(fd, buffer, size, at);
}

ssize_t pwrite64(int fd, const void *buffer, size_t size, off_t at)
{
    return Fails("write") ? -1 : NEXT("pwrite64", ssize_t(*)(int, const void *, size_t, off_t))(fd, buffer, size, at);
}

int fsync(int fd)
{
    return Fails("fsync") ? -1 : NEXT("fsync", int (*)(int))(fd);
}

int ftruncate(int fd, off_t length)
{
    return Fails("ftruncate") ? -1 : NEXT("ftruncate", int (*)(int, off_t))(fd, length);
}

int ftruncate64(int fd, off_t length)
{
    return Fails("ftruncate") ? -1 : NEXT("ftruncate64", int (*)(int, off_t))(fd, length);
}

int rename(const char *from, const char *to)
{
    return Fails("rename") ? -1 : NEXT("rename", int (*)(const char *, const char *))(from, to);
}

int renameat2(int fromAt, const char *from, int toAt, const char *to, unsigned flags)
{
    return Fails("rename") ? -1
                           : NEXT("renameat2", int (*)(int, const char *, int, const char *, unsigned))(
                                 fromAt, from, toAt, to, flags);
}
