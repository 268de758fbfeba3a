#include "platform/system/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kLooks = 3;               // a holder holds the file at every look
constexpr int kMostLooks = 2 * kLooks;  // looks in all, when holders come and go
constexpr useconds_t kBetween = 60000;  // between two looks

bool IsNumber(const char *text)
{
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

// Whether the process (its folder in /proc, open as proc) holds the file open
// through one of its descriptors.
bool Holds(int proc, const char *process, dev_t device, ino_t inode)
{
    char folder[32];
    std::snprintf(folder, sizeof folder, "%s/fd", process);
    const int fdFolder = openat(proc, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *fds = fdFolder >= 0 ? fdopendir(fdFolder) : nullptr;
    if (fds == nullptr) {
        if (fdFolder >= 0) {
            close(fdFolder);
        }
        return false;
    }
    bool holds = false;
    while (struct dirent *fd = readdir(fds)) {
        struct stat st;
        if (IsNumber(fd->d_name) && fstatat(fdFolder, fd->d_name, &st, 0) == 0 && st.st_dev == device &&
            st.st_ino == inode) {
            holds = true;
            break;
        }
    }
    closedir(fds);
    return holds;
}

// The first process other than this one found holding the file; 0 when none is.
// Only this user's processes are looked at, unless it may look at all (root).
pid_t FirstHolding(dev_t device, ino_t inode)
{
    DIR *processes = opendir("/proc");
    if (processes == nullptr) {
        return 0;
    }
    const int proc = dirfd(processes);
    const pid_t self = getpid();
    const uid_t user = geteuid();
    pid_t found = 0;
    while (struct dirent *entry = readdir(processes)) {
        struct stat st;
        if (!IsNumber(entry->d_name) ||
            (user != 0 && (fstatat(proc, entry->d_name, &st, 0) != 0 || st.st_uid != user))) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (pid != self && Holds(proc, entry->d_name, device, inode)) {
            found = pid;
            break;
        }
    }
    closedir(processes);
    return found;
}

}  // namespace

bool FindFileHolder(dev_t device, ino_t inode, FileHolder &holder)
{
    holder = FileHolder{};
    const int proc = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc < 0) {
        return false;
    }
    pid_t pid = FirstHolding(device, inode);
    // Looked at again until it has held the file kLooks times; one that lets go
    // gives way to the next holder found.
    for (int held = 1, looks = 1; pid != 0 && held < kLooks; ++looks) {
        if (looks == kMostLooks) {
            pid = 0;
            break;
        }
        usleep(kBetween);
        const std::string process = std::to_string(pid);
        if (Holds(proc, process.c_str(), device, inode)) {
            ++held;
        } else {
            pid = FirstHolding(device, inode);
            held = 1;
        }
    }
    close(proc);
    if (pid == 0) {
        return false;
    }
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    holder.pid = pid;
    std::getline(comm, holder.name);
    return true;
}
