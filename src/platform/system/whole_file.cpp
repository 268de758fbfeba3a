#include "platform/system/whole_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileDescriptor::~FileDescriptor()
{
    Close();
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool FileDescriptor::Close()
{
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || close(fd) == 0;
}

namespace {

FileReadStatus Fail(std::vector<std::uint8_t> &bytes, int *error, FileReadStatus status, int number = 0)
{
    bytes.clear();
    if (error != nullptr) {
        *error = number;
    }
    return status;
}

}  // namespace

FileReadStatus ReadWholeFile(const char *path, std::size_t limit, std::vector<std::uint8_t> &bytes, int *error)
{
    bytes.clear();
    if (path == nullptr || path[0] == '\0') {
        return Fail(bytes, error, FileReadStatus::Missing);
    }
    FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid()) {
        int openError = errno;
        struct stat st;
        if (openError == ENOENT) {
            return Fail(bytes, error, FileReadStatus::Missing);
        }
        if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
            return Fail(bytes, error, FileReadStatus::Folder);
        }
        return Fail(bytes, error, FileReadStatus::Failed, openError);
    }
    struct stat st;
    if (fstat(file.get(), &st) != 0) {
        return Fail(bytes, error, FileReadStatus::Failed, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return Fail(bytes, error, FileReadStatus::Folder);
    }
    if (!S_ISREG(st.st_mode)) {
        return Fail(bytes, error, FileReadStatus::NotRegular);
    }
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > limit) {
        return Fail(bytes, error, FileReadStatus::TooLarge);
    }
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Fail(bytes, error, FileReadStatus::Failed, errno);
        }
        if (got == 0) {
            return FileReadStatus::Ok;
        }
        // The file may grow while it is read.
        if (static_cast<std::size_t>(got) > limit - bytes.size()) {
            return Fail(bytes, error, FileReadStatus::TooLarge);
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}
