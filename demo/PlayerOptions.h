#pragma once
// The player's command line: --help, --version and --resolution native|WxH (--name value or
// --name=value). Every other argument is ignored: the show itself takes none.

#include "platform/win32/Host.h"

#include <optional>
#include <string>

struct PlayerOptions {
    bool help = false;
    bool version = false;
    host::PlayResolution resolution; // the back buffer's 640 x 480 unless asked
};

// The largest size --resolution accepts in either direction.
inline constexpr int maxResolution = 8192;

// Nothing, with `error` set to a one-line explanation, when --resolution lacks a value or has
// one that is neither "native" nor a size holding at least a 4 x 3 picture.
std::optional<PlayerOptions> ParsePlayerOptions(int argc, const char* const* argv,
                                                std::string& error);
