// The asset generator: draws every picture, renders the fonts and synthesises
// every sound, composes the music, writes sprites.dat, explosion.dat, misc.dat,
// sfx.dat and music.dat and the
// desktop icons (tarnavel.png at 64 pixels, tarnavel-N.png at 32, 48, 128 and
// 256) into the directory given, then loads each file back through Allegro and
// checks it against the game's catalogue.
//
//   tarnavel_datagen OUTPUT_DIR
#include "shell/al.h"
#include "shell/catalogue.h"
#include "tools/assets.h"
#include "tools/png_writer.h"

#include <aldumb.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef TARNAVEL_FONT_DIR
#define TARNAVEL_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace {

bool save(const DatafileWriter& w, const std::string& dir, const CatalogueFile& file)
{
    if (w.count() != file.count) {
        fprintf(stderr, "%s: %d objects made, the catalogue has %d\n", file.fileName, w.count(), file.count);
        return false;
    }
    const std::string path = dir + "/" + file.fileName;
    if (!w.save(path)) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// Walks a written file as the game will, loads it back and checks every
// index against the catalogue and every bitmap against the size it was
// drawn at.
bool verify(const std::string& dir, const CatalogueFile& file, const std::vector<art::Picture>* pictures)
{
    const std::string path = dir + "/" + file.fileName;
    const std::string damage = checkDatafileFile(path.c_str());
    if (!damage.empty()) {
        fprintf(stderr, "%s\n", damage.c_str());
        return false;
    }
    DATAFILE* data = load_datafile(path.c_str());
    if (!data) {
        fprintf(stderr, "%s does not load back\n", path.c_str());
        return false;
    }
    bool ok = true;
    const std::string problem = checkDatafile(data, file);
    if (!problem.empty()) {
        fprintf(stderr, "%s\n", problem.c_str());
        ok = false;
    }
    for (int i = 0; ok && pictures && i < int(pictures->size()); ++i) {
        const art::Picture& p = (*pictures)[i];
        if (p.w == 0)
            continue;
        BITMAP* b = bitmapAt(data, i);
        if (data[i].type != DAT_BITMAP || b->w != p.w || b->h != p.h) {
            fprintf(stderr, "%s object %d does not read back as drawn\n", file.fileName, i);
            ok = false;
        }
    }
    unload_datafile(data);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        fprintf(stderr, "Allegro does not start\n");
        return 1;
    }
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    // The modules are read back by DUMB, as the game reads them.
    dumb_register_dat_xm(DAT_XM_MODULE);
    atexit(&dumb_exit);

    const std::string fonts = TARNAVEL_FONT_DIR;
    art::TextFace sans(fonts + "/DejaVuSans.ttf");
    art::TextFace sansBold(fonts + "/DejaVuSans-Bold.ttf");
    art::TextFace mono(fonts + "/DejaVuSansMono.ttf");
    art::TextFace monoBold(fonts + "/DejaVuSansMono-Bold.ttf");
    assets::Faces faces{&sans, &sansBold, &mono, &monoBold};

    const std::vector<art::Picture> sprites = assets::drawSprites(faces);
    const std::vector<art::Picture> explosions = assets::drawExplosions();
    const assets::Misc misc = assets::drawMisc(faces, sprites);
    const std::vector<Sound> sounds = assets::synthesiseSounds();

    DatafileWriter spritesFile, explosionFile, miscFile, sfxFile, musicFile;
    for (const art::Picture& p : sprites)
        spritesFile.addBitmap(p);
    for (const art::Picture& p : explosions)
        explosionFile.addBitmap(p);
    for (const art::Picture& p : misc.pictures)
        miscFile.addBitmap(p);
    miscFile.addFont(misc.large);
    miscFile.addFont(misc.small);
    for (const Sound& s : sounds)
        sfxFile.addSample(s);
    for (const std::vector<uint8_t>& module : assets::composeMusic())
        musicFile.addMusic("XM  ", module);

    if (!save(spritesFile, dir, spritesCatalogue) || !save(explosionFile, dir, explosionCatalogue) ||
        !save(miscFile, dir, miscCatalogue) || !save(sfxFile, dir, sfxCatalogue) ||
        !save(musicFile, dir, musicCatalogue))
        return 1;
    // The sizes of the icon theme's usual directories; 64 keeps the plain name.
    for (const int size : {32, 48, 64, 128, 256}) {
        const std::string path = dir + (size == 64 ? "/tarnavel.png" : "/tarnavel-" + std::to_string(size) + ".png");
        if (!writePng(path, size, size, assets::drawIcon(size), true)) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    if (!verify(dir, spritesCatalogue, &sprites) || !verify(dir, explosionCatalogue, &explosions) ||
        !verify(dir, miscCatalogue, &misc.pictures) || !verify(dir, sfxCatalogue, nullptr) ||
        !verify(dir, musicCatalogue, nullptr))
        return 1;
    return 0;
}
