// vellomire: the show. --help and --version answer and exit without opening a window;
// --resolution chooses the size the show is rendered at; every other argument is ignored.
#include "demo/DataFolder.h"
#include "demo/Demo.h"
#include "demo/PlayerOptions.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* helpText =
    "Usage: vellomire [--resolution native|WxH]\n"
    "Plays the Vellomire real-time demo full screen: seven 3D scenes in step with its\n"
    "soundtrack, ending by itself after 203 seconds. Escape ends it at any time.\n"
    "\n"
    "The show is read from the Data folder (in any case) of the working directory, else\n"
    "from the one beside the program, else from the installed share/vellomire/Data.\n"
    "SDL's environment variables apply, for example SDL_VIDEO_FULLSCREEN_DISPLAY=1 to play\n"
    "on the second screen, SDL_AUDIODRIVER=dummy to play silently.\n"
    "\n"
    "  --resolution native  render at the screen's pixel size (the largest 4:3 picture\n"
    "                       that fits it) instead of 640x480 scaled up: a sharp picture\n"
    "  --resolution WxH     render the largest 4:3 picture that fits WxH (1920x1080\n"
    "                       renders 1440x1080), then scale it to the screen\n"
    "  --help               show this text and exit\n"
    "  --version            show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<PlayerOptions> options = ParsePlayerOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "vellomire: %s\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (options->version) {
        std::puts("vellomire " VELLOMIRE_VERSION);
        return 0;
    }
    host::SetResolution(options->resolution);
    // Silent when the working directory holds the Data folder, as the show expects; any other
    // choice, or none, is said, naming where it was looked for.
    const DataFolderSearch data = EnterDataFolder();
    if (!data.Found() || data.lookedIn.size() > 1) {
        std::fprintf(stderr, "vellomire: %s\n", data.Describe().c_str());
    }
    return WinMain(nullptr, nullptr, nullptr, 0);
}
