#include "platform/win32/WaylandSeat.h"

#include <SDL.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// SDL tries the drivers SDL_VIDEODRIVER lists, in order, and takes the first that connects;
// with none asked for, X11 comes before Wayland. X11 connects when there is an X display.
bool SdlWouldTryWayland() {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked == nullptr || *asked == '\0') {
        return !Set("DISPLAY");
    }
    std::string_view list(asked);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.size() == 7 && SDL_strncasecmp(name.data(), "wayland", 7) == 0) {
            return true;
        }
        if (name.size() != 3 || SDL_strncasecmp(name.data(), "x11", 3) != 0 || Set("DISPLAY")) {
            return false; // a driver SDL takes before reaching Wayland
        }
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    return false;
}

bool LinkedSdlHasTheFault() {
    SDL_version linked{};
    SDL_GetVersion(&linked);
    return SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) < SDL_VERSIONNUM(2, 30, 0);
}

void NoteGlobal(void* seen, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        *static_cast<bool*>(seen) = true;
    }
}

void IgnoreRemoval(void*, wl_registry*, uint32_t) {}

// True when the compositor answers and announces no seat. One that cannot be reached is left
// to SDL, which reports that cleanly.
bool CompositorLacksSeat() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    bool seat = false;
    bool answered = false;
    wl_registry* registry = wl_display_get_registry(display);
    if (registry != nullptr) {
        static const wl_registry_listener listener = {NoteGlobal, IgnoreRemoval};
        wl_registry_add_listener(registry, &listener, &seat);
        answered = wl_display_roundtrip(display) >= 0;
        wl_registry_destroy(registry);
    }
    wl_display_disconnect(display);
    return answered && !seat;
}

} // namespace

const char* WaylandRefusal() {
    if (!SdlWouldTryWayland() || !LinkedSdlHasTheFault() || !CompositorLacksSeat()) {
        return nullptr;
    }
    return "the Wayland compositor offers no seat (no keyboard or pointer), and SDL before "
           "2.30 crashes in its wayland video driver without one; play through X11 instead "
           "(Xwayland: SDL_VIDEODRIVER=x11 with DISPLAY set)";
}
