#include "demo/PlayerOptions.h"

#include <charconv>
#include <string_view>

namespace {

// A whole decimal number filling the text, 1 to maxResolution.
std::optional<int> SizeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || problem != std::errc{} || stop != end || value < 1 ||
        value > maxResolution) {
        return std::nullopt;
    }
    return value;
}

std::optional<host::PlayResolution> ParseResolution(std::string_view text) {
    if (text == "native") {
        return host::PlayResolution{true, 0, 0};
    }
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> width = SizeNumber(text.substr(0, x));
    const std::optional<int> height = SizeNumber(text.substr(x + 1));
    if (!width || !height || host::PictureFor(*width, *height).width == 0) {
        return std::nullopt;
    }
    return host::PlayResolution{false, *width, *height};
}

} // namespace

std::optional<PlayerOptions> ParsePlayerOptions(int argc, const char* const* argv,
                                                std::string& error) {
    PlayerOptions options;
    constexpr std::string_view resolutionOption = "--resolution";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument.starts_with(resolutionOption) &&
                   (argument.size() == resolutionOption.size() ||
                    argument[resolutionOption.size()] == '=')) {
            std::string_view value;
            if (argument.size() > resolutionOption.size()) {
                value = argument.substr(resolutionOption.size() + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                error = "--resolution needs a value: native or WxH, for example 1920x1080";
                return std::nullopt;
            }
            const std::optional<host::PlayResolution> resolution = ParseResolution(value);
            if (!resolution) {
                error = "--resolution " + std::string(value) +
                        ": give native or WxH, each from 1 to " + std::to_string(maxResolution) +
                        " and together holding at least a 4x3 picture";
                return std::nullopt;
            }
            options.resolution = *resolution;
        }
    }
    return options;
}
