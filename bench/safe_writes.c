/* The floor of a save: each named file written anew beside itself, flushed,
 * renamed over the old one, and its folder flushed, one after the other. */
#include <fcntl.h>
#include <libgen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int SafeWrite(const char *path)
{
    char copy[4096], temporary[4096];
    static char data[1 << 20];
    int in = open(path, O_RDONLY);
    ssize_t length = in >= 0 ? read(in, data, sizeof data) : -1;
    if (in >= 0) {
        close(in);
    }
    snprintf(copy, sizeof copy, "%s", path);
    const char *folder = dirname(copy);
    snprintf(temporary, sizeof temporary, "%s.new", path);
    int out = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (length < 0 || out < 0 || write(out, data, (size_t)length) != length || fsync(out) != 0 || close(out) != 0 ||
        rename(temporary, path) != 0) {
        return 1;
    }
    int directory = open(folder, O_RDONLY | O_DIRECTORY);
    int flushed = directory >= 0 && fsync(directory) == 0;
    if (directory >= 0) {
        close(directory);
    }
    return flushed ? 0 : 1;
}

int main(int argc, char **argv)
{
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        failed |= SafeWrite(argv[i]);
    }
    return failed;
}
