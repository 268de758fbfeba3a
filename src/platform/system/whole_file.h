// Reading a whole file into memory, bounded: icons, catalogs and documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An open file descriptor, closed when the object goes; moved, never copied.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    // Closes it now; false when close reports a failure (of a write not yet made).
    bool Close();
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

enum class FileReadStatus {
    Ok,
    Missing,     // no such file
    Folder,      // a folder
    NotRegular,  // a FIFO, a device, a socket
    TooLarge,    // more than the caller's limit
    Failed,      // cannot be opened or read (the error number tells why)
};

// Reads the whole regular file at path, of at most limit bytes, into bytes. The
// file is opened without blocking, so that a FIFO or a device cannot hold the
// caller up. On a failure bytes is empty and *error (when given) holds the
// error number of a Failed read.
FileReadStatus ReadWholeFile(const char *path, std::size_t limit, std::vector<std::uint8_t> &bytes,
                             int *error = nullptr);
