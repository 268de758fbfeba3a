#include "platform/system/wayland_screens.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-client-core.h>
#include <wayland-client-protocol.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/x11_screens.h"

namespace {

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The compositor's socket as libwayland-client finds it.
std::string SocketPath()
{
    std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty()) {
        name = "wayland-0";
    }
    if (name[0] == '/') {
        return name;
    }
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    return runtime.empty() ? std::string() : runtime + "/" + name;
}

bool SocketAnswers()
{
    const std::string path = SocketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool answers = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

// The client library is opened only when a compositor is asked: a command line
// without one does not pay for loading it.
struct WaylandCalls {
    decltype(&wl_display_connect) connect;
    decltype(&wl_display_disconnect) disconnect;
    decltype(&wl_display_roundtrip) roundtrip;
    decltype(&wl_proxy_marshal_flags) marshal;
    decltype(&wl_proxy_add_listener) addListener;
    decltype(&wl_proxy_destroy) destroy;
    const wl_interface *registryInterface;
    const wl_interface *outputInterface;
};

struct CloseLibrary {
    void operator()(void *library) const { dlclose(library); }
};

bool ResolveWayland(void *library, WaylandCalls &calls)
{
    return Resolve(library, "wl_display_connect", calls.connect) &&
           Resolve(library, "wl_display_disconnect", calls.disconnect) &&
           Resolve(library, "wl_display_roundtrip", calls.roundtrip) &&
           Resolve(library, "wl_proxy_marshal_flags", calls.marshal) &&
           Resolve(library, "wl_proxy_add_listener", calls.addListener) &&
           Resolve(library, "wl_proxy_destroy", calls.destroy) &&
           Resolve(library, "wl_registry_interface", calls.registryInterface) &&
           Resolve(library, "wl_output_interface", calls.outputInterface);
}

// An output as its events describe it.
struct Output {
    wl_proxy *proxy = nullptr;
    std::int32_t width = 0, height = 0, transform = WL_OUTPUT_TRANSFORM_NORMAL;
};

constexpr std::size_t kMaxOutputs = 16;

struct Session {
    const WaylandCalls *calls = nullptr;
    Output outputs[kMaxOutputs];
    std::size_t count = 0;
};

void OutputGeometry(void *data, wl_output *, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char *, const char *, std::int32_t transform)
{
    static_cast<Output *>(data)->transform = transform;
}

void OutputMode(void *data, wl_output *, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        static_cast<Output *>(data)->width = width;
        static_cast<Output *>(data)->height = height;
    }
}

void OutputDone(void *, wl_output *) {}
void OutputScale(void *, wl_output *, std::int32_t) {}

const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale, nullptr, nullptr};

void RegistryGlobal(void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t version)
{
    auto *session = static_cast<Session *>(data);
    if (std::strcmp(interface, "wl_output") != 0 || session->count >= kMaxOutputs) {
        return;
    }
    // Version 2 at most: the listener answers geometry, mode, done and scale.
    const std::uint32_t bound = version < 2 ? version : 2;
    const WaylandCalls &calls = *session->calls;
    auto *output = calls.marshal(reinterpret_cast<wl_proxy *>(registry), WL_REGISTRY_BIND, calls.outputInterface, bound,
                                 0, name, "wl_output", bound, nullptr);
    if (output == nullptr) {
        return;
    }
    Output &entry = session->outputs[session->count++];
    entry.proxy = output;
    calls.addListener(output, reinterpret_cast<void (**)(void)>(const_cast<wl_output_listener *>(&kOutputListener)),
                      &entry);
}

void RegistryGlobalRemove(void *, wl_registry *, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {RegistryGlobal, RegistryGlobalRemove};

bool ReadScreens(std::vector<HostScreen> &screens)
{
    const std::string platform = Environment("QT_QPA_PLATFORM");
    if ((!platform.empty() && platform.rfind("wayland", 0) != 0) || !SocketAnswers()) {
        return false;
    }
    WaylandCalls calls{};
    const std::unique_ptr<void, CloseLibrary> library(dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL));
    if (!ResolveWayland(library.get(), calls)) {
        return false;
    }
    wl_display *display = calls.connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    Session session;
    session.calls = &calls;
    auto *registry = calls.marshal(reinterpret_cast<wl_proxy *>(display), WL_DISPLAY_GET_REGISTRY,
                                   calls.registryInterface, 1, 0, nullptr);
    if (registry != nullptr) {
        calls.addListener(registry,
                          reinterpret_cast<void (**)(void)>(const_cast<wl_registry_listener *>(&kRegistryListener)),
                          &session);
        // The globals, then each output's events.
        if (calls.roundtrip(display) >= 0) {
            calls.roundtrip(display);
        }
    }
    for (std::size_t i = 0; i < session.count; ++i) {
        const Output &output = session.outputs[i];
        // A quarter turn (flipped or not) swaps the sides.
        const bool turned = (output.transform & 1) != 0;
        if (output.width > 0 && output.height > 0) {
            screens.push_back({static_cast<std::uint32_t>(turned ? output.height : output.width),
                               static_cast<std::uint32_t>(turned ? output.width : output.height), 24});
        }
        calls.destroy(output.proxy);
    }
    if (registry != nullptr) {
        calls.destroy(registry);
    }
    calls.disconnect(display);
    return !screens.empty();
}

}  // namespace

bool WaylandSessionAnswers()
{
    const std::string platform = Environment("QT_QPA_PLATFORM");
    if (!platform.empty()) {
        return platform.rfind("wayland", 0) == 0 && SocketAnswers();
    }
    return (Environment("XDG_SESSION_TYPE") == "wayland" || Environment("DISPLAY").empty()) && SocketAnswers();
}

bool WaylandHostScreens(std::vector<HostScreen> &screens)
{
    // A compositor that takes the connection and never answers is given up.
    static ScreensRead once;
    return ReadScreensInTime(once, ReadScreens, screens);
}
