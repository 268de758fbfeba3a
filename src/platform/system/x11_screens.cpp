#include "platform/system/x11_screens.h"

#include <dlfcn.h>
#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// The X client libraries are opened only when a display is named: a command
// line without one does not pay for loading them.
struct XcbCalls {
    decltype(&xcb_connect) connect;
    decltype(&xcb_connection_has_error) hasError;
    decltype(&xcb_disconnect) disconnect;
    decltype(&xcb_get_setup) getSetup;
    decltype(&xcb_setup_roots_iterator) roots;
    decltype(&xcb_screen_next) nextScreen;
    decltype(&xcb_get_extension_data) extensionData;
    // RandR's; null when the library is missing.
    xcb_extension_t *randrId;
    decltype(&xcb_randr_query_version) queryVersion;
    decltype(&xcb_randr_query_version_reply) queryVersionReply;
    decltype(&xcb_randr_get_monitors) getMonitors;
    decltype(&xcb_randr_get_monitors_reply) getMonitorsReply;
    decltype(&xcb_randr_get_monitors_monitors_iterator) monitors;
    decltype(&xcb_randr_monitor_info_next) nextMonitor;
};

struct CloseLibrary {
    void operator()(void *library) const { dlclose(library); }
};
using LibraryPointer = std::unique_ptr<void, CloseLibrary>;

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

bool ResolveXcb(void *xcb, XcbCalls &calls)
{
    return Resolve(xcb, "xcb_connect", calls.connect) && Resolve(xcb, "xcb_connection_has_error", calls.hasError) &&
           Resolve(xcb, "xcb_disconnect", calls.disconnect) && Resolve(xcb, "xcb_get_setup", calls.getSetup) &&
           Resolve(xcb, "xcb_setup_roots_iterator", calls.roots) && Resolve(xcb, "xcb_screen_next", calls.nextScreen) &&
           Resolve(xcb, "xcb_get_extension_data", calls.extensionData);
}

bool ResolveRandr(void *randr, XcbCalls &calls)
{
    return Resolve(randr, "xcb_randr_id", calls.randrId) &&
           Resolve(randr, "xcb_randr_query_version", calls.queryVersion) &&
           Resolve(randr, "xcb_randr_query_version_reply", calls.queryVersionReply) &&
           Resolve(randr, "xcb_randr_get_monitors", calls.getMonitors) &&
           Resolve(randr, "xcb_randr_get_monitors_reply", calls.getMonitorsReply) &&
           Resolve(randr, "xcb_randr_get_monitors_monitors_iterator", calls.monitors) &&
           Resolve(randr, "xcb_randr_monitor_info_next", calls.nextMonitor);
}

// Whether the Qt platform a window would use is X11's (the default).
bool X11Platform()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || platform[0] == '\0') {
        return true;
    }
    return std::strncmp(platform, "xcb", 3) == 0 && (platform[3] == '\0' || platform[3] == ':');
}

// The active monitors of RandR 1.5, the primary first, as Qt makes its screens.
void AddMonitors(const XcbCalls &calls, xcb_connection_t *connection, xcb_window_t root, std::uint32_t depth,
                 std::vector<HostScreen> &screens)
{
    const xcb_query_extension_reply_t *extension = calls.extensionData(connection, calls.randrId);
    if (extension == nullptr || extension->present == 0) {
        return;
    }
    ReplyPointer<xcb_randr_query_version_reply_t> version(
        calls.queryVersionReply(connection, calls.queryVersion(connection, 1, 5), nullptr));
    if (version == nullptr || (version->major_version == 1 && version->minor_version < 5)) {
        return;
    }
    ReplyPointer<xcb_randr_get_monitors_reply_t> monitors(
        calls.getMonitorsReply(connection, calls.getMonitors(connection, root, 1), nullptr));
    if (monitors == nullptr) {
        return;
    }
    for (auto it = calls.monitors(monitors.get()); it.rem > 0; calls.nextMonitor(&it)) {
        const HostScreen screen = {it.data->width, it.data->height, depth};
        if (screen.width == 0 || screen.height == 0) {
            continue;
        }
        screens.insert(it.data->primary != 0 ? screens.begin() : screens.end(), screen);
    }
}

bool ReadScreens(std::vector<HostScreen> &screens)
{
    const char *display = std::getenv("DISPLAY");
    if (!X11Platform() || display == nullptr || display[0] == '\0') {
        return false;
    }
    XcbCalls calls{};
    LibraryPointer xcb(dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL));
    if (!ResolveXcb(xcb.get(), calls)) {
        return false;
    }
    LibraryPointer randr(dlopen("libxcb-randr.so.0", RTLD_LAZY | RTLD_LOCAL));
    const bool withRandr = ResolveRandr(randr.get(), calls);
    int number = 0;
    xcb_connection_t *connection = calls.connect(display, &number);
    if (calls.hasError(connection) != 0) {
        calls.disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t it = calls.roots(calls.getSetup(connection));
    for (int i = 0; i < number && it.rem > 0; ++i) {
        calls.nextScreen(&it);
    }
    if (it.rem > 0) {
        const xcb_screen_t *root = it.data;
        if (withRandr) {
            AddMonitors(calls, connection, root->root, root->root_depth, screens);
        }
        if (screens.empty()) {
            screens.push_back({root->width_in_pixels, root->height_in_pixels, root->root_depth});
        }
    }
    calls.disconnect(connection);
    return !screens.empty();
}

}  // namespace

bool AnswersInTime(std::function<void()> talk)
{
    struct Talk {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };
    auto state = std::make_shared<Talk>();
    try {
        std::thread([state, talk = std::move(talk)] {
            talk();
            const std::lock_guard<std::mutex> lock(state->mutex);
            state->done = true;
            state->ended.notify_one();
        }).detach();
    } catch (const std::system_error &) {
        return false;
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->ended.wait_for(lock, std::chrono::seconds(X11_ANSWER_SECONDS), [&state] { return state->done; });
}

bool ReadScreensInTime(ScreensRead &once, bool (*read)(std::vector<HostScreen> &), std::vector<HostScreen> &screens)
{
    if (!once.done) {
        auto answer = std::make_shared<std::pair<bool, std::vector<HostScreen>>>();
        once.found = AnswersInTime([answer, read] { answer->first = read(answer->second); }) && answer->first;
        once.known = once.found ? answer->second : std::vector<HostScreen>();
        once.done = true;
    }
    screens = once.known;
    return once.found;
}

bool X11HostScreens(std::vector<HostScreen> &screens)
{
    static ScreensRead once;
    return ReadScreensInTime(once, ReadScreens, screens);
}
