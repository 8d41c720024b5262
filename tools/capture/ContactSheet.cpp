#include "tools/capture/ContactSheet.h"

#include "tools/capture/PngFiles.h"

#include <SDL_ttf.h>
#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

constexpr int columns = 4;
constexpr int margin = 8;
constexpr int labelHeight = 26;
constexpr std::uint8_t background = 0x26; // the show's dark grey
constexpr const char* fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// One moment per timeline window, in the timeline's order, each where its window selects the
// scene: the ball out of Schtar's fog, a banner up, the landscape's sky and a lake, Test's
// second card in the middle of the view, Wendo's first tunnel before the flash that ends it.
constexpr double moments[] = {10.0, 32.5, 59.25, 73.0, 93.0, 119.25, 140.0, 180.0};

// Draws white text with its top-left corner at (x, y), clipped to the sheet.
void DrawLabel(TTF_Font* font, const std::string& text, int x, int y, int sheetWidth,
               int sheetHeight, std::vector<std::uint8_t>& sheet) {
    SDL_Surface* rendered = TTF_RenderUTF8_Shaded(font, text.c_str(), {255, 255, 255, 255},
                                                  {background, background, background, 255});
    if (rendered == nullptr) {
        return;
    }
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(rendered);
    if (rgb == nullptr) {
        return;
    }
    const auto* pixels = static_cast<const std::uint8_t*>(rgb->pixels);
    for (int row = 0; row < rgb->h && y + row < sheetHeight; ++row) {
        const int width = std::min(rgb->w, sheetWidth - x);
        std::copy_n(pixels + row * rgb->pitch, width * 3,
                    sheet.begin() + ((y + row) * sheetWidth + x) * 3);
    }
    SDL_FreeSurface(rgb);
}

} // namespace

double ContactSheetMoment(std::size_t window) {
    return moments[std::min(window, std::size(moments) - 1)];
}

ContactSheetSink::ContactSheetSink(std::string path) : file(std::move(path)) {}

void ContactSheetSink::Expect(std::uint64_t frame, std::string label) {
    cells[frame].label = std::move(label);
}

bool ContactSheetSink::Write(const Frame& frame) {
    Cell& cell = cells[frame.index];
    cell.width = frame.width / 2;
    cell.height = frame.height / 2;
    cell.rgb.assign(static_cast<std::size_t>(cell.width) * cell.height * 3, 0);
    for (int y = 0; y < cell.height; ++y) {
        for (int x = 0; x < cell.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const auto at = [&](int dx, int dy) {
                    return frame.rgb[((2 * y + dy) * frame.width + 2 * x + dx) * 3 + c];
                };
                const int sum = at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1);
                cell.rgb[(y * cell.width + x) * 3 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return true;
}

bool ContactSheetSink::Finish() {
    int cellWidth = 0;
    int cellHeight = 0;
    int count = 0;
    for (const auto& [frame, cell] : cells) {
        if (!cell.rgb.empty()) {
            cellWidth = std::max(cellWidth, cell.width);
            cellHeight = std::max(cellHeight, cell.height);
            ++count;
        }
    }
    if (count == 0) {
        error = "no frames were captured for the contact sheet";
        return false;
    }
    const int rows = (count + columns - 1) / columns;
    const int sheetWidth = columns * (cellWidth + margin) + margin;
    const int sheetHeight = rows * (cellHeight + labelHeight + margin) + margin;
    std::vector<std::uint8_t> sheet(static_cast<std::size_t>(sheetWidth) * sheetHeight * 3,
                                    background);

    const bool fonts = TTF_WasInit() != 0 || TTF_Init() == 0;
    TTF_Font* font = fonts ? TTF_OpenFont(fontFile, 15) : nullptr;
    if (font == nullptr) {
        std::fprintf(stderr, "vellomire-capture: no font at %s, the sheet has no labels\n",
                     fontFile);
    }
    int placed = 0;
    for (const auto& [frame, cell] : cells) {
        if (cell.rgb.empty()) {
            continue;
        }
        const int x = margin + (placed % columns) * (cellWidth + margin);
        const int y = margin + (placed / columns) * (cellHeight + labelHeight + margin);
        for (int row = 0; row < cell.height; ++row) {
            std::copy_n(cell.rgb.begin() + row * cell.width * 3, cell.width * 3,
                        sheet.begin() + ((y + row) * sheetWidth + x) * 3);
        }
        if (font != nullptr) {
            DrawLabel(font, cell.label, x + 2, y + cell.height + 4, sheetWidth, sheetHeight, sheet);
        }
        ++placed;
    }
    if (font != nullptr) {
        TTF_CloseFont(font);
    }
    std::string failure;
    if (!WritePng(file, sheetWidth, sheetHeight, sheet.data(), failure)) {
        error = "could not write " + failure;
        return false;
    }
    return true;
}
