/* Loaded with LD_PRELOAD by the fault tests. SETTINGS_IO_FAULT="RULE,...": a rule
 * "CALL:PERCENT%SEED" makes that share of the calls CALL (open, read, write for
 * pwrite, fsync, ftruncate, rename, flock, fcntl for its locks) fail, in an order
 * SEED repeats; "CALL:FIRST+COUNT" the calls FIRST to FIRST+COUNT-1 (from 1). They
 * fail with EIO, locks with ENOLCK; fdatasync counts as fsync. SETTINGS_IO_SHORT=1
 * makes every pwrite write at most half of what it is given; SETTINGS_IO_SLOW_LOCK=MS
 * makes every lock call of fcntl wait MS milliseconds first; SETTINGS_IO_LOG=FILE
 * gets "fsync PATH", "fdatasync PATH", "pwrite PATH OFFSET" and "rename FROM" for
 * each made. SETTINGS_IO_KILL=N kills the process before its N-th pwrite;
 * SETTINGS_IO_SLOW=MS makes each fdatasync take that much longer. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static int Fails(const char *call)
{
    static const char *calls[] = {"open", "read", "write", "fsync", "ftruncate", "rename", "flock", "fcntl"};
    static unsigned counts[8], seeds[8];
    int slot = 0;
    while (strcmp(calls[slot], call) != 0) {
        ++slot;
    }
    const unsigned count = ++counts[slot];
    for (const char *rule = getenv("SETTINGS_IO_FAULT"); rule != NULL; rule = strchr(rule, ',')) {
        char name[16], kind;
        unsigned a, b;
        rule += *rule == ',';
        if (sscanf(rule, "%15[^:]:%u%c%u", name, &a, &kind, &b) != 4 || strcmp(name, call) != 0) {
            continue;
        }
        seeds[slot] = (count == 1 ? b : seeds[slot]) * 1103515245u + 12345u;
        if (kind == '%' ? (seeds[slot] >> 16) % 100 < a : count >= a && count < a + b) {
            errno = slot >= 6 ? ENOLCK : EIO;
            return 1;
        }
    }
    return 0;
}

#define NEXT(name, type) ((type)dlsym(RTLD_NEXT, name))

static void Log(const char *what, const char *path)
{
    const char *log = getenv("SETTINGS_IO_LOG");
    FILE *out = log != NULL ? fopen(log, "a") : NULL;
    if (out != NULL) {
        fprintf(out, "%s %s\n", what, path);
        fclose(out);
    }
}

static const char *PathOf(int fd, char *path, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, size - 1);
    path[length > 0 ? length : 0] = '\0';
    return path;
}

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
    static unsigned writes;
    const char *kill = getenv("SETTINGS_IO_KILL");
    if (kill != NULL && ++writes == strtoul(kill, NULL, 10)) {
        raise(SIGKILL);
    }
    if (getenv("SETTINGS_IO_LOG") != NULL) {
        char path[4096], line[4200];
        snprintf(line, sizeof line, "%s %lld", PathOf(fd, path, sizeof path), (long long)at);
        Log("pwrite", line);
    }
    const char *shorter = getenv("SETTINGS_IO_SHORT");
    size = shorter != NULL && shorter[0] == '1' && size > 1 ? size / 2 : size;
    return Fails("write") ? -1 : NEXT("pwrite", ssize_t(*)(int, const void *, size_t, off_t))(fd, buffer, size, at);
}

int fsync(int fd)
{
    char path[4096];
    PathOf(fd, path, sizeof path);
    if (Fails("fsync") || NEXT("fsync", int (*)(int))(fd) != 0) {
        return -1;
    }
    Log("fsync", path);
    return 0;
}

int fdatasync(int fd)
{
    char path[4096];
    const char *slow = getenv("SETTINGS_IO_SLOW");
    if (slow != NULL) {
        const long ms = strtol(slow, NULL, 10);
        const struct timespec pause = {ms / 1000, ms % 1000 * 1000000};
        nanosleep(&pause, NULL);
    }
    PathOf(fd, path, sizeof path);
    if (Fails("fsync") || NEXT("fdatasync", int (*)(int))(fd) != 0) {
        return -1;
    }
    Log("fdatasync", path);
    return 0;
}

int ftruncate(int fd, off_t length)
{
    return Fails("ftruncate") ? -1 : NEXT("ftruncate", int (*)(int, off_t))(fd, length);
}

int rename(const char *from, const char *to)
{
    if (Fails("rename") || NEXT("rename", int (*)(const char *, const char *))(from, to) != 0) {
        return -1;
    }
    Log("rename", from);
    return 0;
}

int flock(int fd, int operation)
{
    return Fails("flock") ? -1 : NEXT("flock", int (*)(int, int))(fd, operation);
}

int fcntl(int fd, int cmd, ...)
{
    va_list args;
    va_start(args, cmd);
    void *arg = va_arg(args, void *);
    va_end(args);
    const int lock = cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW || cmd == F_SETLK || cmd == F_SETLKW;
    if (lock && getenv("SETTINGS_IO_SLOW_LOCK") != NULL) {
        usleep((useconds_t)atoi(getenv("SETTINGS_IO_SLOW_LOCK")) * 1000u);
    }
    return lock && Fails("fcntl") ? -1 : NEXT("fcntl", int (*)(int, int, void *))(fd, cmd, arg);
}
