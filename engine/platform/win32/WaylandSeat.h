#pragma once
// SDL 2 before 2.30 crashes inside SDL_Init(SDL_INIT_VIDEO) when its Wayland driver meets a
// compositor that offers no seat (no wl_seat global: weston's headless backend, a kiosk
// without input devices): Wayland_InitMouse writes through the seat's input record, which is
// only made when a seat is announced. Nothing on our side can give the compositor a seat, so
// the layer asks the compositor itself first and refuses that driver with a reason instead.

// The reason SDL's video must not start (a static text), or null when it may: SDL would take
// its Wayland driver (asked for by SDL_VIDEODRIVER, or chosen for want of an X display), the
// linked SDL has the fault, and the compositor WAYLAND_DISPLAY names answers without a seat.
const char* WaylandRefusal();
