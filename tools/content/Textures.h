#pragma once

#include "tools/content/Font.h"
#include "tools/content/Image.h"

namespace content {

// Every picture of the show, at its load size. Seamless ones repeat without a visible edge
// when tiled; pictures that are drawn additively lie on black.

// Surfaces (seamless).
Image MakeMarble(int colour); // colour 1..4: ruby, sapphire, jade, amber; 64 x 64
Image MakeCloud();            // Wolk, 128 x 128
Image MakeChessboard();       // Chess, 256 x 256, 8 x 8 squares
Image MakeBlobSkin();         // Bot1, 256 x 256
Image MakeToadstool();        // Paddo, 256 x 256
// Only the top-left 18 % of these two is ever sampled (mirrored cell to cell).
Image MakeLandTiles(); // Checker, 256 x 256
Image MakeWater();     // LafBlauwtje, 256 x 256

// Full pictures.
Image MakePuzzleBackdrop(); // PeskyBack, 640 x 480: the board's 55 sockets, middle row marked
// Where the marble of board row r (0..10, top to bottom), column c (0..4) appears on
// PeskyBack, in its pixels.
struct BoardPlace {
    float x, y;
};
BoardPlace MarblePlace(int r, int c);
Image MakeLandscape();    // Tolm1, 640 x 480: mountains, lake and dusk sky
Image MakeTunnelRings();  // Wendo2, 256 x 256: cold rings and spokes around the centre
Image MakeTunnelPetals(); // Wendo, 256 x 256: warm spiral petals around the centre

// Glows on black (or on white for the darkening sprite).
Image MakeGlow();     // Particle, 64 x 64
Image MakeSpike();    // Stekel, 64 x 64: a needle of light along the stretched diagonal
Image MakeWhiteDot(); // WhiteParticle, 64 x 64
Image MakeBlackDot(); // BlackParticle, 64 x 64: dark dot on white

// Lettering (needs the bold and book faces).
struct Fonts {
    Font bold, book;
};
Image MakeLogo(const Fonts& fonts);                // Logo, 640 x 200
Image MakeBanner(const Fonts& fonts, int which);   // 1 = Screes, 2 = Plek, 640 x 200
Image MakeFarewell(const Fonts& fonts);            // Sterf, 640 x 200
Image MakeGreeting(const Fonts& fonts, int which); // 1..3 = Greets1..3, 640 x 300

} // namespace content
