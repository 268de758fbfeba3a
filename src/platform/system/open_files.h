// Which other processes hold a file open: an emulator running a disk image.
#pragma once

#include <string>
#include <sys/types.h>

struct FileHolder {
    pid_t pid = 0;
    std::string name;  // the process's command name, as the system keeps it
};

// Whether another process holds the file of that device and inode open, found
// through /proc/PID/fd: the first such process found, of this user's (any user's
// for root). A process that holds it only for a moment (another save trying the
// image's lock, a reader) is passed over: a holder is one that still holds it
// when it is looked at again, a few times within a fraction of a second.
bool FindFileHolder(dev_t device, ino_t inode, FileHolder &holder);
