#include "platform/system/libraries.h"

#include <cstdlib>
#include <cstring>

namespace {

// The services and the versions this program provides.
struct Service {
    const char *name;
    std::uint16_t version;
    std::uint16_t revision;
};

constexpr Service kServices[] = {
    {"dos.library", 53, 1},  {"intuition.library", 53, 1}, {"graphics.library", 54, 1}, {"locale.library", 53, 1},
    {"icon.library", 53, 1}, {"muimaster.library", 21, 1}, {"asl.library", 53, 1},
};
constexpr int kServiceCount = sizeof kServices / sizeof kServices[0];

Library bases[kServiceCount];
Interface interfaces[kServiceCount];

#ifdef SETTINGS_TEST_SWITCHES
std::vector<std::string> callLog;

void Log(std::string entry)
{
    callLog.push_back(std::move(entry));
}
#else
void Log(const std::string &) {}
#endif

// How intuition.library reaches the display; without a connection it does not open.
bool (*connectDisplay)() = nullptr;
void (*disconnectDisplay)() = nullptr;

int ServiceIndex(const char *name)
{
    for (int i = 0; i < kServiceCount; ++i) {
        if (std::strcmp(kServices[i].name, name) == 0) {
            return i;
        }
    }
    return -1;
}

#ifdef SETTINGS_TEST_SWITCHES
// Whether the comma-separated list in the environment variable names the library.
bool EnvListNames(const char *variable, const char *name)
{
    const char *list = std::getenv(variable);
    if (list == nullptr) {
        return false;
    }
    std::string text(list);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (text.compare(start, end - start, name) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// SETTINGS_LIBRARY_VERSION=name:version[,...]: the version the library reports.
int ReportedVersion(int index)
{
    int version = kServices[index].version;
    const char *list = std::getenv("SETTINGS_LIBRARY_VERSION");
    if (list == nullptr) {
        return version;
    }
    std::string text(list);
    std::string wanted = std::string(kServices[index].name) + ":";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string item = text.substr(start, end - start);
        if (item.compare(0, wanted.size(), wanted) == 0) {
            version = std::atoi(item.c_str() + wanted.size());
        }
        start = end + 1;
    }
    return version;
}
#else
bool EnvListNames(const char *, const char *)
{
    return false;
}

int ReportedVersion(int index)
{
    return kServices[index].version;
}
#endif

}  // namespace

void SetDisplayConnection(bool (*connect)(), void (*disconnect)())
{
    connectDisplay = connect;
    disconnectDisplay = disconnect;
}

Library *OpenLibrary(const char *name, std::uint32_t version)
{
    int index = name != nullptr ? ServiceIndex(name) : -1;
    std::string entry = std::string(name != nullptr ? name : "(null)") + " " + std::to_string(version);
    if (index < 0 || EnvListNames("SETTINGS_FAIL_LIBRARY", name)) {
        Log("open-failed " + entry);
        return nullptr;
    }
    int reported = ReportedVersion(index);
    if (reported < 0 || static_cast<std::uint32_t>(reported) < version) {
        Log("open-failed " + entry);
        return nullptr;
    }
    Library *base = &bases[index];
    if (base->lib_OpenCnt == 0 && std::strcmp(name, "intuition.library") == 0 &&
        (connectDisplay == nullptr || !connectDisplay())) {
        Log("open-failed " + entry);
        return nullptr;
    }
    base->lib_Name = kServices[index].name;
    base->lib_Version = static_cast<std::uint16_t>(reported);
    base->lib_Revision = kServices[index].revision;
    ++base->lib_OpenCnt;
    Log("open " + entry);
    return base;
}

Interface *GetInterface(Library *base, const char *name, std::uint32_t version, const TagItem *)
{
    if (base == nullptr || base->lib_OpenCnt <= 0) {
        return nullptr;
    }
    auto index = static_cast<int>(base - bases);
    if (name == nullptr || std::strcmp(name, "main") != 0 || version != 1 ||
        EnvListNames("SETTINGS_FAIL_INTERFACE", base->lib_Name)) {
        Log(std::string("get-failed ") + base->lib_Name);
        return nullptr;
    }
    Interface *iface = &interfaces[index];
    iface->base = base;
    iface->name = "main";
    iface->version = 1;
    ++iface->refCount;
    Log(std::string("get ") + base->lib_Name);
    return iface;
}

void DropInterface(Interface *iface)
{
    if (iface == nullptr || iface->refCount <= 0) {
        return;
    }
    --iface->refCount;
    Log(std::string("drop ") + iface->base->lib_Name);
}

void CloseLibrary(Library *base)
{
    if (base == nullptr || base->lib_OpenCnt <= 0) {
        return;
    }
    --base->lib_OpenCnt;
    Log(std::string("close ") + base->lib_Name);
    if (base->lib_OpenCnt == 0 && std::strcmp(base->lib_Name, "intuition.library") == 0 &&
        disconnectDisplay != nullptr) {
        disconnectDisplay();
    }
}

#ifdef SETTINGS_TEST_SWITCHES
const std::vector<std::string> &LibraryCallLog()
{
    return callLog;
}

void ClearLibraryCallLog()
{
    callLog.clear();
}

int OpenLibraryCount()
{
    int count = 0;
    for (const Library &base : bases) {
        count += base.lib_OpenCnt;
    }
    return count;
}

int OpenInterfaceCount()
{
    int count = 0;
    for (const Interface &iface : interfaces) {
        count += iface.refCount;
    }
    return count;
}
#endif
