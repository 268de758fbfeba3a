#include "platform/system/dos.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <string>

#include "platform/system/program_folder.h"

extern char **environ;

#ifndef SETTINGS_VIEWER_NAME
#define SETTINGS_VIEWER_NAME "vellumine-settings-viewer"
#endif

namespace {

// Threads get at least this much stack, whatever the caller asks for: the
// host's libraries (and sanitizers) need far more than a classic process did.
constexpr std::size_t MIN_STACK_SIZE = 1024 * 1024;
constexpr std::size_t THREAD_NAME_LENGTH = 15;

struct ProcessSlot {
    Process record;
    pthread_t thread;
    bool finished;
};

// The processes not yet reaped. Allocated once and never freed, so that a
// process still running when the program ends finds it intact.
struct ProcessRegistry {
    std::mutex lock;
    std::condition_variable changed;
    std::list<ProcessSlot> slots;
};

ProcessRegistry &Registry()
{
    static ProcessRegistry *registry = new ProcessRegistry;
    return *registry;
}

#ifdef SETTINGS_TEST_SWITCHES
bool failProcessCreation = false;
#else
constexpr bool failProcessCreation = false;
#endif

void *ProcessMain(void *argument)
{
    auto *slot = static_cast<ProcessSlot *>(argument);
    char threadName[THREAD_NAME_LENGTH + 1] = {};
    std::memcpy(threadName, slot->record.name, std::min(std::strlen(slot->record.name), THREAD_NAME_LENGTH));
    pthread_setname_np(pthread_self(), threadName);

    slot->record.entry();

    ProcessRegistry &registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    slot->finished = true;
    registry.changed.notify_all();
    return nullptr;
}

// Joins and releases the processes that have ended. Called with the lock held.
void ReapFinished(ProcessRegistry &registry)
{
    for (auto it = registry.slots.begin(); it != registry.slots.end();) {
        if (it->finished) {
            pthread_join(it->thread, nullptr);
            it = registry.slots.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

BPTR Open(const char *name, std::int32_t accessMode)
{
    if (name == nullptr || name[0] == '\0' || accessMode != MODE_OLDFILE) {
        return 0;
    }
    int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return 0;
    }
    // errno says why a file that opens cannot be taken.
    struct stat info;
    const int error = ::fstat(fd, &info) != 0 ? errno
                      : S_ISDIR(info.st_mode) ? EISDIR
                      : S_ISREG(info.st_mode) ? 0
                                              : EINVAL;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return 0;
    }
    return static_cast<BPTR>(fd) + 1;
}

std::int32_t Close(BPTR file)
{
    if (file <= 0 || file - 1 > INT_MAX) {
        return 0;
    }
    return ::close(static_cast<int>(file - 1)) == 0 ? 1 : 0;
}

Process *CreateNewProc(const TagItem *tags)
{
    auto entry = reinterpret_cast<void (*)()>(GetTagData(NP_Entry, 0, tags));
    auto name = reinterpret_cast<const char *>(GetTagData(NP_Name, 0, tags));
    IPTR stackSize = GetTagData(NP_StackSize, 4096, tags);
    if (entry == nullptr || failProcessCreation) {
        return nullptr;
    }

    ProcessRegistry &registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    ReapFinished(registry);

    ProcessSlot &slot = registry.slots.emplace_back();
    std::snprintf(slot.record.name, sizeof slot.record.name, "%s", name != nullptr ? name : "");
    slot.record.stackSize = static_cast<std::uint32_t>(std::clamp<IPTR>(stackSize, 0, UINT32_MAX));
    slot.record.entry = entry;
    slot.finished = false;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    std::size_t stack = std::max<std::size_t>(slot.record.stackSize, MIN_STACK_SIZE);
    pthread_attr_setstacksize(&attributes, stack);
    int error = pthread_create(&slot.thread, &attributes, ProcessMain, &slot);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        registry.slots.pop_back();
        return nullptr;
    }
    return &slot.record;
}

bool WaitForProcesses(int timeoutMs)
{
    ProcessRegistry &registry = Registry();
    std::unique_lock<std::mutex> guard(registry.lock);
    auto allFinished = [&registry] {
        return std::all_of(registry.slots.begin(), registry.slots.end(),
                           [](const ProcessSlot &slot) { return slot.finished; });
    };
    bool done;
    if (timeoutMs < 0) {
        registry.changed.wait(guard, allFinished);
        done = true;
    } else {
        done = registry.changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), allFinished);
    }
    ReapFinished(registry);
    return done;
}

int RunProgram(const char *path, const char *argument)
{
    if (path == nullptr || path[0] == '\0' || argument == nullptr) {
        return -1;
    }
    char *const argv[] = {const_cast<char *>(path), const_cast<char *>(argument), nullptr};

    // The child starts with no signals blocked and the default dispositions.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    sigaddset(&signals, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = 0;
    int error = posix_spawn(&child, path, nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return PROGRAM_NOT_STARTED;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return PROGRAM_KILLED;  // started, and gone without a status
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : PROGRAM_KILLED;
}

bool FindViewerProgram(char *buffer, std::size_t size)
{
    if (buffer == nullptr || size == 0) {
        return false;
    }
    buffer[0] = '\0';
    auto usable = [&](int written) {
        return written > 0 && static_cast<std::size_t>(written) < size && ::access(buffer, X_OK) == 0;
    };

#ifdef SETTINGS_TEST_SWITCHES
    // Runs any program: read only in builds made for tests.
    const char *override = std::getenv("SETTINGS_VIEWER");
    if (override != nullptr && override[0] != '\0') {
        return usable(std::snprintf(buffer, size, "%s", override));
    }
#endif

    // Its name in the build tree, then its installed name, beside the programs.
    static const char *const names[] = {"SettingsViewer", SETTINGS_VIEWER_NAME};
    const std::string folder = ProgramsFolder();
    for (const char *name : names) {
        if (!folder.empty() && usable(std::snprintf(buffer, size, "%s/%s", folder.c_str(), name))) {
            return true;
        }
    }
#ifdef SETTINGS_BIN_DIR
    if (usable(std::snprintf(buffer, size, "%s/%s", SETTINGS_BIN_DIR, SETTINGS_VIEWER_NAME))) {
        return true;
    }
#endif
    return false;
}

#ifdef SETTINGS_TEST_SWITCHES
void DosFailProcessCreation(bool fail)
{
    failProcessCreation = fail;
}
#endif
