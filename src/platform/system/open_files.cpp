#include "platform/system/open_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kLooks = 3;               // a holder holds the file at every look
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

// Whether the process holds the file open through one of its descriptors.
bool Holds(const std::string &process, dev_t device, ino_t inode)
{
    const std::string folder = "/proc/" + process + "/fd/";
    DIR *fds = opendir(folder.c_str());
    if (fds == nullptr) {
        return false;
    }
    bool holds = false;
    while (struct dirent *fd = readdir(fds)) {
        struct stat st;
        if (IsNumber(fd->d_name) && stat((folder + fd->d_name).c_str(), &st) == 0 && st.st_dev == device &&
            st.st_ino == inode) {
            holds = true;
            break;
        }
    }
    closedir(fds);
    return holds;
}

std::vector<pid_t> Holding(dev_t device, ino_t inode)
{
    std::vector<pid_t> found;
    DIR *proc = opendir("/proc");
    if (proc == nullptr) {
        return found;
    }
    const pid_t self = getpid();
    while (struct dirent *entry = readdir(proc)) {
        if (IsNumber(entry->d_name)) {
            const auto pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
            if (pid != self && Holds(entry->d_name, device, inode)) {
                found.push_back(pid);
            }
        }
    }
    closedir(proc);
    return found;
}

}  // namespace

std::vector<FileHolder> FileHolders(dev_t device, ino_t inode)
{
    std::vector<pid_t> pids = Holding(device, inode);
    for (int look = 1; look < kLooks && !pids.empty(); ++look) {
        usleep(kBetween);
        const std::vector<pid_t> again = Holding(device, inode);
        std::erase_if(pids, [&](pid_t pid) { return std::find(again.begin(), again.end(), pid) == again.end(); });
    }
    std::vector<FileHolder> holders;
    for (pid_t pid : pids) {
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        FileHolder holder{pid, ""};
        std::getline(comm, holder.name);
        holders.push_back(holder);
    }
    return holders;
}
