// vellomire: the show. It takes no command line; --help and --version answer and exit without
// opening a window, and every other argument is ignored.
#include "demo/DataFolder.h"
#include "demo/Demo.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* helpText =
    "Usage: vellomire\n"
    "Plays the Vellomire real-time demo full screen: seven 3D scenes in step with its\n"
    "soundtrack, ending by itself after 203 seconds. Escape ends it at any time.\n"
    "\n"
    "The show is read from the Data folder (in any case) of the working directory, else\n"
    "from the one beside the program, else from the installed share/vellomire/Data.\n"
    "SDL's environment variables apply, for example SDL_VIDEO_FULLSCREEN_DISPLAY=1 to play\n"
    "on the second screen, SDL_AUDIODRIVER=dummy to play silently.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(helpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("vellomire " VELLOMIRE_VERSION);
            return 0;
        }
    }
    // Silent when the working directory holds the Data folder, as the show expects; any other
    // choice, or none, is said, naming where it was looked for.
    const DataFolderSearch data = EnterDataFolder();
    if (!data.Found() || data.lookedIn.size() > 1) {
        std::fprintf(stderr, "vellomire: %s\n", data.Describe().c_str());
    }
    return WinMain(nullptr, nullptr, nullptr, 0);
}
