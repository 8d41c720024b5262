#include "tools/content/Font.h"

#include <algorithm>
#include <cmath>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <vector>

namespace content {

struct Font::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Impl() {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
};

Font::Font() : impl(std::make_unique<Impl>()) {}
Font::~Font() = default;

bool Font::Open(const std::string& path) {
    if (!impl->library && FT_Init_FreeType(&impl->library) != 0) {
        return false;
    }
    if (impl->face) {
        FT_Done_Face(impl->face);
        impl->face = nullptr;
    }
    return FT_New_Face(impl->library, path.c_str(), 0, &impl->face) == 0;
}

namespace {
struct PlacedGlyph {
    Plane coverage;
    int left = 0, top = 0; // top-left pixel relative to the pen origin on the baseline
    float penX = 0;
};
} // namespace

Plane Font::Render(const std::string& text, int pixelHeight, float xScale, float tracking,
                   int margin) const {
    FT_Face face = impl->face;
    if (!face) {
        return Plane(1, 1);
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
    FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(xScale * 65536.0f)), 0, 0, 0x10000};
    FT_Set_Transform(face, &matrix, nullptr);

    std::vector<PlacedGlyph> glyphs;
    float pen = 0;
    int minX = 1 << 20, minY = 1 << 20, maxX = -(1 << 20), maxY = -(1 << 20);
    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0) {
            continue;
        }
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        PlacedGlyph g;
        g.coverage = Plane(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            for (unsigned x = 0; x < bitmap.width; ++x) {
                g.coverage.At(static_cast<int>(x), static_cast<int>(y)) =
                    static_cast<float>(bitmap.buffer[y * bitmap.pitch + x]) / 255.0f;
            }
        }
        g.left = slot->bitmap_left;
        g.top = -slot->bitmap_top;
        g.penX = pen;
        if (bitmap.width > 0 && bitmap.rows > 0) {
            int x0 = static_cast<int>(std::lround(pen)) + g.left;
            minX = std::min(minX, x0);
            maxX = std::max(maxX, x0 + static_cast<int>(bitmap.width));
            minY = std::min(minY, g.top);
            maxY = std::max(maxY, g.top + static_cast<int>(bitmap.rows));
        }
        pen += static_cast<float>(slot->advance.x) / 64.0f + tracking;
        glyphs.push_back(std::move(g));
    }
    if (maxX <= minX) {
        return Plane(1, 1);
    }
    Plane out(maxX - minX + 2 * margin, maxY - minY + 2 * margin);
    for (const PlacedGlyph& g : glyphs) {
        int ox = static_cast<int>(std::lround(g.penX)) + g.left - minX + margin;
        int oy = g.top - minY + margin;
        for (int y = 0; y < g.coverage.height; ++y) {
            for (int x = 0; x < g.coverage.width; ++x) {
                float& d = out.At(ox + x, oy + y);
                d = std::max(d, g.coverage.At(x, y));
            }
        }
    }
    return out;
}

void Stamp(Plane& dst, const Plane& src, int cx, int cy) {
    int ox = cx - src.width / 2, oy = cy - src.height / 2;
    for (int y = 0; y < src.height; ++y) {
        int ty = oy + y;
        if (ty < 0 || ty >= dst.height) {
            continue;
        }
        for (int x = 0; x < src.width; ++x) {
            int tx = ox + x;
            if (tx < 0 || tx >= dst.width) {
                continue;
            }
            float& d = dst.At(tx, ty);
            d = std::max(d, src.At(x, y));
        }
    }
}

} // namespace content
