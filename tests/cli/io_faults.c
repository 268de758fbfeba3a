/* Loaded with LD_PRELOAD by the fault tests: SETTINGS_IO_FAULT="CALL:PERCENT:SEED"
 * makes that share of the calls CALL (open, read, write for pwrite, fsync,
 * ftruncate, rename) fail with EIO, in an order SEED repeats. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int Fails(const char *call)
{
    static char name[32];
    static int percent = -1;
    static unsigned seed;
    if (percent < 0) {
        const char *spec = getenv("SETTINGS_IO_FAULT");
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

int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t)va_arg(args, int) : 0;
    va_end(args);
    return Fails("open") ? -1 : NEXT("open", int (*)(const char *, int, ...))(path, flags, mode);
}

ssize_t read(int fd, void *buffer, size_t size)
{
    return Fails("read") ? -1 : NEXT("read", ssize_t(*)(int, void *, size_t))(fd, buffer, size);
}

ssize_t pwrite(int fd, const void *buffer, size_t size, off_t at)
{
    return Fails("write") ? -1 : NEXT("pwrite", ssize_t(*)(int, const void *, size_t, off_t))(fd, buffer, size, at);
}

int fsync(int fd)
{
    return Fails("fsync") ? -1 : NEXT("fsync", int (*)(int))(fd);
}

int ftruncate(int fd, off_t length)
{
    return Fails("ftruncate") ? -1 : NEXT("ftruncate", int (*)(int, off_t))(fd, length);
}

int rename(const char *from, const char *to)
{
    return Fails("rename") ? -1 : NEXT("rename", int (*)(const char *, const char *))(from, to);
}
