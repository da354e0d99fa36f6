// What the generator makes, file by file, in catalogue order.
#pragma once

#include "tools/canvas.h"
#include "tools/datafile_writer.h"

#include <string>
#include <vector>

namespace assets {

// The TrueType faces the fonts and titles are drawn from.
struct Faces {
    art::TextFace* sans;     // running text
    art::TextFace* sansBold; // captions, titles
    art::TextFace* mono;     // the game's small font
    art::TextFace* monoBold; // the game's large font
};

// sprites.dat 0..32.
std::vector<art::Picture> drawSprites(Faces& faces);
// explosion.dat 0..26.
std::vector<art::Picture> drawExplosions();
// The ship on a transparent background for the desktop icon: size x size
// RGBA bytes.
std::vector<uint8_t> drawIcon(int size);

// misc.dat: the bitmaps at 0..6 (4 is not used by the game) and the two fonts.
struct Misc {
    std::vector<art::Picture> pictures; // indices 0..6
    MonoFont large;                     // index 7
    MonoFont small;                     // index 8
};
Misc drawMisc(Faces& faces, const std::vector<art::Picture>& sprites);

// sfx.dat 0..18.
std::vector<Sound> synthesiseSounds();

// music.dat 0..2: the menu theme, the loop in play and the wave-completed
// jingle, each a whole extended module.
std::vector<std::vector<uint8_t>> composeMusic();

// The game's fonts, rendered monochrome from a TrueType face.
MonoFont renderMonoFont(art::TextFace& face, int px, int extraSpacing);

} // namespace assets
