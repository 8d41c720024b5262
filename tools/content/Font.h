#pragma once

#include "tools/content/Image.h"

#include <memory>
#include <string>

namespace content {

// The typefaces the content uses (fonts-dejavu-core).
inline constexpr const char* kBoldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
inline constexpr const char* kBookFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// One TrueType face rendered through FreeType into coverage planes.
class Font {
  public:
    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // False when the file cannot be opened as a font.
    bool Open(const std::string& path);

    // Renders one line of ASCII text: `pixelHeight` is the em size in pixels, `xScale` widens
    // (> 1) or narrows (< 1) the glyphs, `tracking` adds pixels between letters. The plane is
    // cropped to the ink plus `margin` pixels on every side; coverage 0..1.
    Plane Render(const std::string& text, int pixelHeight, float xScale, float tracking,
                 int margin) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Adds `src` into `dst` (maximum of both), centred on (cx, cy) in `dst` pixels; parts outside
// are cut off.
void Stamp(Plane& dst, const Plane& src, int cx, int cy);

} // namespace content
