// Which other processes hold a file open: an emulator running a disk image.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct FileHolder {
    pid_t pid = 0;
    std::string name;  // the process's command name, as the system keeps it
};

// The processes other than this one that hold the file of that device and inode
// open, found through /proc/*/fd (those of other users only when the process may
// look at them). A process that holds it only for a moment (another save trying
// the image's lock, a reader) is passed over: a holder is one that still holds
// it when the processes are looked at again, a few times within a fraction of a
// second.
std::vector<FileHolder> FileHolders(dev_t device, ino_t inode);
