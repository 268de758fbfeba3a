#include "platform/qt/qt_display.h"

#include <dlfcn.h>
#include <locale.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QLocale>
#include <QPluginLoader>
#include <QScreen>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/system/display.h"
#include "platform/system/libraries.h"
#include "platform/system/x11_screens.h"

namespace {

QApplication *ownApplication = nullptr;
int qtArgc = 1;
char qtProgramName[] = "Settings";
char *defaultArgv[] = {qtProgramName, nullptr};
char **qtArgv = defaultArgv;

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
DisplayFault displayFault;

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
    // A server that takes the connection and never answers is one that cannot be opened.
    auto probe = std::make_shared<xcb_connection_t *>(nullptr);
    if (!AnswersInTime([probe, name = std::string(display)] { *probe = xcb_connect(name.c_str(), nullptr); })) {
        displayFault = {DisplayFault::CannotOpen, display};
        return false;
    }
    displayProbe = *probe;
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

// In a C locale of the thread's own: the Qt application may set the program's
// locale meanwhile, and fontconfig reads its numbers the same in any locale.
void *RunFcInit(void *init)
{
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (c != locale_t{}) {
        uselocale(c);
    }
    reinterpret_cast<int (*)()>(init)();
    if (c != locale_t{}) {
        uselocale(LC_GLOBAL_LOCALE);
        freelocale(c);
    }
    return nullptr;
}

// Fontconfig's configuration and font cache, read on a thread of their own while
// the Qt application is made (Qt's font database reads them at the window's first
// text); false when Qt's libraries bring no fontconfig or no thread can be had.
bool StartFontconfigLoad(pthread_t &thread)
{
    void *init = dlsym(RTLD_DEFAULT, "FcInit");
    return init != nullptr && pthread_create(&thread, nullptr, RunFcInit, init) == 0;
}

// The folders Qt looks in for platform plugins: -platformpluginpath,
// QT_QPA_PLATFORM_PLUGIN_PATH, then "platforms" in each plugin folder.
QStringList PlatformPluginFolders()
{
    QStringList folders;
    for (int i = 1; i + 1 < qtArgc; ++i) {
        if (std::strcmp(qtArgv[i], "-platformpluginpath") == 0 || std::strcmp(qtArgv[i], "--platformpluginpath") == 0) {
            folders += QFile::decodeName(qtArgv[i + 1]).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        }
    }
    folders += qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &plugins : QCoreApplication::libraryPaths()) {
        folders += plugins + QStringLiteral("/platforms");
    }
    return folders;
}

// Whether a platform plugin of that name is installed, as its metadata's keys say
// (read without loading it): Qt ends the process when it finds none.
bool PlatformPluginInstalled(const std::string &name)
{
    const QString wanted = QString::fromLocal8Bit(name.c_str());
    for (const QString &folder : PlatformPluginFolders()) {
        for (const QFileInfo &file : QDir(folder).entryInfoList({QStringLiteral("*.so")}, QDir::Files)) {
            const QJsonObject data =
                QPluginLoader(file.absoluteFilePath()).metaData().value(QLatin1String("MetaData")).toObject();
            for (const QJsonValue &key : data.value(QLatin1String("Keys")).toArray()) {
                if (key.toString().compare(wanted, Qt::CaseInsensitive) == 0) {
                    return true;
                }
            }
        }
    }
    return false;
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
        // Another plugin (eglfs, vnc, ...) is left to Qt, once it is there.
        if (!PlatformPluginInstalled(platform)) {
            displayFault = {DisplayFault::CannotOpen, platform};
            return false;
        }
        return true;
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

QtMessageHandler qtHandler = nullptr;

// Qt's messages: one that ends the program (a platform Qt cannot make, a window it
// cannot make for want of a screen) ends it with exit value 1, said, where Qt
// would abort.
void EndOnFatalMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg && qtHandler != nullptr) {
        qtHandler(type, context, text);
        return;
    }
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fflush(stderr);
        _exit(1);
    }
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
    pthread_t fontconfig;
    const bool loading = StartFontconfigLoad(fontconfig);
    if (qtHandler == nullptr) {
        qtHandler = qInstallMessageHandler(EndOnFatalMessage);
    }
    ownApplication = new QApplication(qtArgc, qtArgv);
    // Joined before any text is measured: Qt's font database would read them again.
    if (loading) {
        pthread_join(fontconfig, nullptr);
    }
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

// Qt's screens in device pixels, the primary first; none before a Qt application exists.
bool QtHostScreens(std::vector<HostScreen> &screens)
{
    if (QGuiApplication::instance() == nullptr) {
        return false;
    }
    for (const QScreen *screen : QGuiApplication::screens()) {
        QSize size = screen->geometry().size() * screen->devicePixelRatio();
        if (size.width() > 0 && size.height() > 0) {
            screens.push_back({static_cast<std::uint32_t>(size.width()), static_cast<std::uint32_t>(size.height()),
                               static_cast<std::uint32_t>(std::max(screen->depth(), 0))});
        }
    }
    return !screens.empty();
}

}  // namespace

void SetDisplayArguments(int argc, char **argv)
{
    qtArgc = argv != nullptr && argc > 0 ? argc : 1;
    qtArgv = argv != nullptr && argc > 0 ? argv : defaultArgv;
}

DisplayFault LastDisplayFault()
{
    return displayFault;
}

void UseQtDisplay()
{
    SetDisplayConnection(ConnectDisplay, DisconnectDisplay);
    SetHostScreenSource(QtHostScreens);
}
