#include "platform/x11_screens.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

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
void AddMonitors(xcb_connection_t *connection, xcb_window_t root, std::uint32_t depth, std::vector<HostScreen> &screens)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_randr_id);
    if (extension == nullptr || extension->present == 0) {
        return;
    }
    ReplyPointer<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    if (version == nullptr || (version->major_version == 1 && version->minor_version < 5)) {
        return;
    }
    ReplyPointer<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(connection, xcb_randr_get_monitors(connection, root, 1), nullptr));
    if (monitors == nullptr) {
        return;
    }
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
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
    int number = 0;
    xcb_connection_t *connection = xcb_connect(display, &number);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < number && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem > 0) {
        const xcb_screen_t *root = it.data;
        AddMonitors(connection, root->root, root->root_depth, screens);
        if (screens.empty()) {
            screens.push_back({root->width_in_pixels, root->height_in_pixels, root->root_depth});
        }
    }
    xcb_disconnect(connection);
    return !screens.empty();
}

}  // namespace

bool X11HostScreens(std::vector<HostScreen> &screens)
{
    static bool read = false;
    static bool found = false;
    static std::vector<HostScreen> known;
    if (!read) {
        found = ReadScreens(known);
        read = true;
    }
    screens = known;
    return found;
}
