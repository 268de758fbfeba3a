#include "platform/libraries.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
std::vector<std::string> callLog;

QApplication *ownApplication = nullptr;
DisplayFault displayFault;
int qtArgc = 1;
char qtProgramName[] = "Settings";
char *defaultArgv[] = {qtProgramName, nullptr};
char **qtArgv = defaultArgv;

int ServiceIndex(const char *name)
{
    for (int i = 0; i < kServiceCount; ++i) {
        if (std::strcmp(kServices[i].name, name) == 0) {
            return i;
        }
    }
    return -1;
}

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

// The Qt platform plugin that QApplication will load: its -platform argument, else
// QT_QPA_PLATFORM.
std::string QtPlatformName()
{
    const char *name = std::getenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < qtArgc; ++i) {
        if (std::strcmp(qtArgv[i], "-platform") == 0 || std::strcmp(qtArgv[i], "--platform") == 0) {
            name = qtArgv[i + 1];
        }
    }
    if (name == nullptr || name[0] == '\0') {
        return std::string();
    }
    std::string text(name);
    return text.substr(0, text.find_first_of(":;"));
}

// The X connection that proved the display reachable. It stays open until Qt has
// its own: an X server whose last client leaves resets, and a connection made
// during that reset fails, which Qt answers with an abort.
xcb_connection_t *displayProbe = nullptr;

void EndDisplayProbe()
{
    if (displayProbe != nullptr) {
        xcb_disconnect(displayProbe);
        displayProbe = nullptr;
    }
}

bool X11DisplayOpens()
{
    const char *display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        displayFault = {DisplayFault::NotSet, "DISPLAY"};
        return false;
    }
    EndDisplayProbe();
    displayProbe = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(displayProbe) != 0) {
        EndDisplayProbe();
        displayFault = {DisplayFault::CannotOpen, display};
        return false;
    }
    return true;
}

bool WaylandDisplayOpens()
{
    const char *display = std::getenv("WAYLAND_DISPLAY");
    std::string path = display != nullptr && display[0] != '\0' ? display : "wayland-0";
    if (path[0] != '/') {
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || runtime[0] == '\0') {
            displayFault = {DisplayFault::NotSet, "XDG_RUNTIME_DIR"};
            return false;
        }
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    if (!ok) {
        displayFault = {DisplayFault::CannotOpen, path};
    }
    return ok;
}

bool WaylandPluginInstalled()
{
    QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty();
}

// Whether QApplication can be created without Qt ending the process.
bool DisplayCanOpen()
{
    displayFault = {};
    std::string platform = QtPlatformName();
    if (platform == "offscreen" || platform == "minimal") {
        return true;
    }
    if (platform == "xcb") {
        return X11DisplayOpens();
    }
    if (platform.rfind("wayland", 0) == 0) {
        return WaylandDisplayOpens();
    }
    if (!platform.empty()) {
        return true;  // another plugin (eglfs, vnc, ...): left to Qt
    }
    if (X11DisplayOpens()) {
        return true;
    }
    const DisplayFault x11 = displayFault;  // X11 is the one named when neither opens
    displayFault = {};
    if (WaylandDisplayOpens() && WaylandPluginInstalled()) {
        return true;
    }
    displayFault = x11;
    return false;
}

bool ConnectDisplay()
{
    if (QCoreApplication::instance() != nullptr) {
        return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    }
    if (!DisplayCanOpen()) {
        EndDisplayProbe();
        return false;
    }
    ownApplication = new QApplication(qtArgc, qtArgv);
    EndDisplayProbe();
    // Qt's own texts (standard buttons, context menus) in the user's language, where installed.
    auto *translator = new QTranslator(ownApplication);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
    return true;
}

void DisconnectDisplay()
{
    delete ownApplication;
    ownApplication = nullptr;
}

}  // namespace

void SetDisplayArguments(int argc, char **argv)
{
    qtArgc = argv != nullptr && argc > 0 ? argc : 1;
    qtArgv = argv != nullptr && argc > 0 ? argv : defaultArgv;
}

Library *OpenLibrary(const char *name, std::uint32_t version)
{
    int index = name != nullptr ? ServiceIndex(name) : -1;
    std::string entry = std::string(name != nullptr ? name : "(null)") + " " + std::to_string(version);
    if (index < 0 || EnvListNames("SETTINGS_FAIL_LIBRARY", name)) {
        callLog.push_back("open-failed " + entry);
        return nullptr;
    }
    int reported = ReportedVersion(index);
    if (reported < 0 || static_cast<std::uint32_t>(reported) < version) {
        callLog.push_back("open-failed " + entry);
        return nullptr;
    }
    Library *base = &bases[index];
    displayFault = {};
    if (base->lib_OpenCnt == 0 && std::strcmp(name, "intuition.library") == 0 && !ConnectDisplay()) {
        callLog.push_back("open-failed " + entry);
        return nullptr;
    }
    base->lib_Name = kServices[index].name;
    base->lib_Version = static_cast<std::uint16_t>(reported);
    base->lib_Revision = kServices[index].revision;
    ++base->lib_OpenCnt;
    callLog.push_back("open " + entry);
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
        callLog.push_back(std::string("get-failed ") + base->lib_Name);
        return nullptr;
    }
    Interface *iface = &interfaces[index];
    iface->base = base;
    iface->name = "main";
    iface->version = 1;
    ++iface->refCount;
    callLog.push_back(std::string("get ") + base->lib_Name);
    return iface;
}

void DropInterface(Interface *iface)
{
    if (iface == nullptr || iface->refCount <= 0) {
        return;
    }
    --iface->refCount;
    callLog.push_back(std::string("drop ") + iface->base->lib_Name);
}

void CloseLibrary(Library *base)
{
    if (base == nullptr || base->lib_OpenCnt <= 0) {
        return;
    }
    --base->lib_OpenCnt;
    callLog.push_back(std::string("close ") + base->lib_Name);
    if (base->lib_OpenCnt == 0 && std::strcmp(base->lib_Name, "intuition.library") == 0) {
        DisconnectDisplay();
    }
}

DisplayFault LastDisplayFault()
{
    return displayFault;
}

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
