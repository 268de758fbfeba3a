// Files and processes: opening a file to prove it can be read, starting a
// process (a thread of the program), and running a program and waiting for it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system/tags.h"

using BPTR = IPTR;  // a file handle, 0 for none

constexpr std::int32_t MODE_OLDFILE = 1005;

// Opens an existing, readable regular file for reading; 0 when it cannot, errno
// saying why (EISDIR for a folder, EINVAL for another kind of file).
// Never blocks (a FIFO or device is refused).
BPTR Open(const char *name, std::int32_t accessMode);
// Closes a handle from Open; 0 is ignored. Returns non-zero on success.
std::int32_t Close(BPTR file);

// Process tags.
constexpr Tag NP_Dummy = static_cast<Tag>(0x80000000u + 1000);
constexpr Tag NP_Entry = NP_Dummy + 3;       // void (*)(): the process's code
constexpr Tag NP_StackSize = NP_Dummy + 11;  // bytes; raised to what the host needs
constexpr Tag NP_Name = NP_Dummy + 12;       // const char *: the process's name

constexpr int PROCESS_NAME_SIZE = 64;

// A process of the program: a thread running the entry, under a name (the
// thread's system name is the first 15 characters of it).
struct Process {
    char name[PROCESS_NAME_SIZE];
    std::uint32_t stackSize;
    void (*entry)();
};

// Starts a process; null when it cannot be started. The record is released
// by the system once the entry has returned and the process has been reaped.
Process *CreateNewProc(const TagItem *tags);

template <typename... Args> Process *CreateNewProcTags(Args... args)
{
    IPTR words[] = {ToIPTR(args)..., TAG_DONE, 0};
    return CreateNewProc(reinterpret_cast<const TagItem *>(words));
}

// Waits until every process started has ended, at most timeoutMs milliseconds
// (negative: no limit); true when none is left running.
bool WaitForProcesses(int timeoutMs);

// Runs the program at path with one argument, directly (no shell: the argument
// is passed as it is, spaces and all), and waits for it to end. Returns the
// program's exit status, PROGRAM_NOT_STARTED when it could not be started, or
// PROGRAM_KILLED when a signal ended it.
constexpr int PROGRAM_NOT_STARTED = -1;
constexpr int PROGRAM_KILLED = -2;
int RunProgram(const char *path, const char *argument);

// Fills buffer with the path of the program's own document viewer,
// SettingsViewer: $SETTINGS_VIEWER when set (in builds made for tests), else beside
// the running program (as SettingsViewer, or under its installed name
// vellumine-settings-viewer),
// else in the installed bin folder. Returns false when none is found
// (buffer then holds the last place looked at).
bool FindViewerProgram(char *buffer, std::size_t size);

#ifdef SETTINGS_TEST_SWITCHES
// Test hook: makes the next CreateNewProc calls fail while on.
void DosFailProcessCreation(bool fail);
#endif
