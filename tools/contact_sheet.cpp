// The contact sheet: every object of the four datafiles, labelled with its
// file and index, in one PNG, followed by mock-ups of the play field and the
// menu drawn the way the game draws them.
//
//   tarnavel_sheet DATA_DIR OUTPUT.png
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/version.h"
#include "tools/png_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int sheetWidth = 1340;
const int margin = 12;

struct Sheet {
    BITMAP* bmp;
    FONT* label;
    int x = margin, y = margin, rowHeight = 0;

    // Reserves a w x h cell (plus its label line) in the flowing layout.
    void place(int w, int h, int* cx, int* cy, const char* text = "")
    {
        w = std::max(w, text_length(label, text));
        const int cellH = h + 18;
        if (x + w > sheetWidth - margin) {
            x = margin;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        *cx = x;
        *cy = y;
        x += w + 14;
        rowHeight = std::max(rowHeight, cellH);
    }

    void section(const char* title)
    {
        x = margin;
        y += rowHeight + 24;
        rowHeight = 0;
        textprintf_ex(bmp, label, margin, y - 18, makecol(255, 200, 70), -1, "%s", title);
        hline(bmp, margin, y - 3, sheetWidth - margin, makecol(90, 100, 140));
    }
};

void checker(BITMAP* b, int x, int y, int w, int h)
{
    for (int j = 0; j < h; j += 6)
        for (int i = 0; i < w; i += 6) {
            const int c = ((i + j) / 6) % 2 ? makecol(46, 46, 56) : makecol(30, 30, 38);
            rectfill(b, x + i, y + j, std::min(x + i + 5, x + w - 1), std::min(y + j + 5, y + h - 1), c);
        }
}

void showBitmap(Sheet& s, const char* file, int index, BITMAP* src)
{
    const int zoom = (src->w <= 80 && src->h <= 80) ? 2 : 1;
    char text[64];
    snprintf(text, sizeof text, "%s %d", file, index);
    int x, y;
    s.place(src->w * zoom, src->h * zoom, &x, &y, text);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "%s", text);
    textprintf_ex(s.bmp, s.label, x, y + src->h * zoom + 18 - 16 + 16, makecol(130, 130, 150), -1, "%dx%d", src->w, src->h);
    checker(s.bmp, x, y + 16, src->w * zoom, src->h * zoom);
    masked_stretch_blit(src, s.bmp, 0, 0, src->w, src->h, x, y + 16, src->w * zoom, src->h * zoom);
    s.rowHeight = std::max(s.rowHeight, src->h * zoom + 34);
}

void showFont(Sheet& s, const char* file, int index, FONT* f)
{
    const int w = 640, h = 4 * text_height(f) + 16;
    int x, y;
    s.place(w, h, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "%s %d: font, height %d", file, index, text_height(f));
    rectfill(s.bmp, x, y + 16, x + w - 1, y + 16 + h - 1, makecol(0, 0, 0));
    std::string a, b;
    for (int c = 32; c < 80; ++c)
        a += char(c);
    for (int c = 80; c < 127; ++c)
        b += char(c);
    textout_ex(s.bmp, f, a.c_str(), x + 4, y + 20, makecol(255, 255, 255), -1);
    textout_ex(s.bmp, f, b.c_str(), x + 4, y + 20 + text_height(f), makecol(255, 255, 255), -1);
    textout_ex(s.bmp, f, "Wave: 12  Bonus: 1500  Score: 123456  FPS: 60", x + 4, y + 20 + 2 * text_height(f), makecol(150, 150, 150), -1);
    textout_ex(s.bmp, f, "Instructions  Play Game  Enter your name:", x + 4, y + 20 + 3 * text_height(f), makecol(100, 200, 255), -1);
}

void showSample(Sheet& s, const char* file, int index, SAMPLE* smp)
{
    const int w = 300, h = 64;
    int x, y;
    s.place(w, h, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "%s %d: %d ms, %d Hz %d-bit", file, index,
                  int(smp->len * 1000LL / smp->freq), smp->freq, smp->bits);
    rectfill(s.bmp, x, y + 16, x + w - 1, y + 16 + h - 1, makecol(10, 14, 30));
    hline(s.bmp, x, y + 16 + h / 2, x + w - 1, makecol(40, 50, 80));
    // One column per 1/300 s, scaled to the longest sample (2 s).
    const double perColumn = smp->freq * 2.0 / w;
    for (int col = 0; col < w; ++col) {
        const long a = long(col * perColumn), b = std::min<long>(long((col + 1) * perColumn), long(smp->len));
        if (a >= long(smp->len))
            break;
        int lo = 0, hi = 0;
        for (long i = a; i < b; ++i) {
            const int v = smp->bits == 16 ? int(static_cast<unsigned short*>(smp->data)[i]) - 32768
                                          : (int(static_cast<unsigned char*>(smp->data)[i]) - 128) * 256;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        vline(s.bmp, x + col, y + 16 + h / 2 - hi * (h / 2) / 32768, y + 16 + h / 2 - lo * (h / 2) / 32768,
              makecol(110, 220, 160));
    }
}

// The play field as the game draws it, with every field object in place.
void playMockup(Sheet& s, DATAFILE* spr, DATAFILE* exp, DATAFILE* misc)
{
    int x, y;
    s.place(640, 480, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "mock-up: play field");
    BITMAP* f = create_bitmap(640, 480);
    clear_to_color(f, makecol(0, 0, 0));
    FONT* small = fontAt(misc, MISC_FONT_SMALL);
    for (int i = 0; i < 7; ++i)
        draw_sprite(f, bitmapAt(spr, SPR_COLLECTABLE), 80 + i * 70, 60 + (i * 53) % 140);
    for (int k = 0; k < 3; ++k)
        draw_sprite(f, bitmapAt(spr, SPR_POWERUP_FIRST + k), 120 + k * 160, 250);
    draw_sprite(f, bitmapAt(spr, SPR_HAZARD), 420, 330);
    for (int k = 0; k < 7; ++k)
        draw_sprite(f, bitmapAt(spr, SPR_ENEMY_FIRST + 2 * k + (k % 2)), 70 + k * 72, 150);
    draw_sprite(f, bitmapAt(spr, SPR_ENEMY_BULLET), 300, 200);
    draw_sprite(f, bitmapAt(spr, SPR_MINE), 330, 205);
    draw_sprite(f, bitmapAt(spr, SPR_SHIP), 320, 240);
    draw_sprite(f, bitmapAt(spr, SPR_SHIP_BULLET), 340, 225);
    draw_sprite(f, bitmapAt(spr, SPR_SHIP_BULLET), 348, 215);
    BITMAP* e = bitmapAt(exp, 6);
    draw_sprite(f, e, 200 - e->w / 2, 330 - e->h / 2);
    e = bitmapAt(exp, EXP_BREAKUP_FIRST + 4);
    draw_sprite(f, e, 120 - e->w / 2, 380 - e->h / 2);
    textprintf_centre_ex(f, small, 360, 260, makecol(200, 200, 200), -1, "%d", 40);
    draw_sprite(f, bitmapAt(spr, SPR_HAZARD_BOTTOM), 250, 440);
    draw_sprite(f, bitmapAt(spr, SPR_HAZARD_LEFT), 0, 203);
    draw_sprite(f, bitmapAt(spr, SPR_HAZARD_RIGHT), 582, 203);
    draw_sprite(f, bitmapAt(spr, SPR_EXIT_GATE), 299, 470);
    draw_sprite(f, bitmapAt(spr, SPR_WANDERING_BONUS), 500, 380);
    hline(f, 299, 479, 340, makecol(140, 0, 0));
    draw_sprite(f, bitmapAt(spr, SPR_STATUS_PANEL), 0, 0);
    draw_sprite(f, bitmapAt(spr, SPR_WEAPON_ICON_FIRST + 1), 592, 3);
    const int grey = makecol(150, 150, 150);
    textprintf_ex(f, small, 544, 0, grey, -1, "x %d", 5);
    textprintf_ex(f, small, 197, 0, grey, -1, "Score: %d", 123450);
    textprintf_ex(f, small, 300, 0, makecol(100, 100, 100), -1, "FPS: %d", 240);
    textprintf_ex(f, small, 608, 0, grey, -1, "x %d", 3);
    textprintf_ex(f, small, 5, 0, grey, -1, "Wave: %d", 12);
    textprintf_ex(f, small, 90, 0, grey, -1, "Bonus: %d", 1500);
    blit(f, s.bmp, 0, 0, x, y + 16, 640, 480);
    destroy_bitmap(f);
}

// The main menu as the game draws it (and the credits window over it).
void menuMockup(Sheet& s, DATAFILE* misc, bool credits)
{
    int x, y;
    s.place(640, 480, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, credits ? "mock-up: credits" : "mock-up: main menu");
    BITMAP* f = create_bitmap(640, 480);
    FONT* small = fontAt(misc, MISC_FONT_SMALL);
    FONT* large = fontAt(misc, MISC_FONT_LARGE);
    draw_sprite(f, bitmapAt(misc, MISC_BACKGROUND), 0, 0);
    if (!credits)
        textprintf_ex(f, small, 40, 0, makecol(20, 20, 20), -1,
                      "Welcome to Tarnavel, an Ostrevane Production. Please support the developer by passing");
    textprintf_ex(f, small, 5, 385, makecol(255, 255, 255), -1, "NAME");
    textprintf_right_ex(f, small, 120, 385, makecol(255, 255, 255), -1, "SCORE");
    const char* names[5] = {"Brannock", "None", "None", "None", "None"};
    for (int i = 0; i < 5; ++i) {
        textprintf_ex(f, small, 5, 400 + 15 * i, makecol(200, 200, 200), -1, "%s", names[i]);
        textprintf_right_ex(f, small, 120, 400 + 15 * i, makecol(200, 200, 200), -1, "%d", i ? 0 : 123450);
    }
    BITMAP* normal = bitmapAt(misc, MISC_BUTTON_NORMAL);
    BITMAP* pressed = bitmapAt(misc, MISC_BUTTON_PRESSED);
    const char* captions[4] = {"Play Game", "Instructions", "Credits", credits ? "Back" : "Exit"};
    for (int i = 0; i < 4; ++i) {
        if (credits && i < 3)
            continue;
        BITMAP* b = (i == 1) ? pressed : normal;
        const int bx = 640 - normal->w, by = 280 + 50 * i;
        masked_blit(b, f, 0, 0, bx, by, b->w, b->h);
        textout_centre_ex(f, large, captions[i], bx + b->w / 2, by + b->h / 2 - text_height(large) / 2, makecol(200, 200, 200), -1);
    }
    if (credits) {
        const char* lines[9] = {"Tarnavel v " TARNAVEL_VERSION, "by Ostrevane", "", "Programming: Brannock", "", "Graphics: Brannock", "", "Sound effects: Brannock", ""};
        for (int i = 0; i < 9; ++i)
            textout_centre_ex(f, small, lines[i], 270 + 125, 300 + 15 * i, makecol(255, 255, 255), -1);
    }
    draw_sprite(f, bitmapAt(misc, MISC_POINTER), 560 - 2, 300 - 2);
    blit(f, s.bmp, 0, 0, x, y + 16, 640, 480);
    destroy_bitmap(f);
}

void gameOverMockup(Sheet& s, DATAFILE* spr, DATAFILE* misc)
{
    int x, y;
    s.place(640, 480, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "mock-up: game over and wave completed");
    BITMAP* f = create_bitmap(640, 480);
    clear_to_color(f, makecol(0, 0, 0));
    FONT* large = fontAt(misc, MISC_FONT_LARGE);
    BITMAP* p = bitmapAt(spr, SPR_GAME_OVER);
    draw_sprite(f, p, 320 - p->w / 2, 240 - p->h);
    textout_centre_ex(f, large, "Enter your name: ", 320, 240 + p->h - 5, makecol(255, 255, 255), -1);
    textout_centre_ex(f, large, "Brannock", 320, 240 + p->h + 15, makecol(200, 200, 200), -1);
    textout_centre_ex(f, large, "Wave 3 completed!", 320, 40, makecol(255, 255, 255), -1);
    textprintf_ex(f, large, 320 - text_length(large, "Time bonus:  ") / 2, 60, makecol(255, 255, 255), -1, "Time bonus: %d", 1240);
    blit(f, s.bmp, 0, 0, x, y + 16, 640, 480);
    destroy_bitmap(f);
}

void introMockup(Sheet& s, DATAFILE* misc)
{
    int x, y;
    s.place(640, 480, &x, &y);
    textprintf_ex(s.bmp, s.label, x, y, makecol(220, 220, 230), -1, "mock-up: intro at full opacity");
    BITMAP* f = create_bitmap(640, 480);
    clear_to_color(f, makecol(104, 104, 104));
    BITMAP* logo = bitmapAt(misc, MISC_LOGO);
    draw_sprite(f, logo, 320 - logo->w / 2, 240 - logo->h / 2);
    blit(f, s.bmp, 0, 0, x, y + 16, 640, 480);
    destroy_bitmap(f);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s DATA_DIR OUTPUT.png\n", argv[0]);
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    const std::string dir = argv[1];
    const CatalogueFile* files[4] = {&spritesCatalogue, &explosionCatalogue, &miscCatalogue, &sfxCatalogue};
    DATAFILE* data[4];
    for (int i = 0; i < 4; ++i) {
        data[i] = load_datafile((dir + "/" + files[i]->fileName).c_str());
        if (!data[i]) {
            fprintf(stderr, "cannot load %s/%s\n", dir.c_str(), files[i]->fileName);
            return 1;
        }
        const std::string problem = checkDatafile(data[i], *files[i]);
        if (!problem.empty()) {
            fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
    }
    Sheet s;
    s.bmp = create_bitmap(sheetWidth, 9000);
    clear_to_color(s.bmp, makecol(18, 18, 24));
    s.label = fontAt(data[2], MISC_FONT_SMALL);
    s.y = margin + 10;
    for (int f = 0; f < 4; ++f) {
        s.section(files[f]->fileName);
        for (int i = 0; data[f][i].type != DAT_END; ++i) {
            if (data[f][i].type == DAT_BITMAP)
                showBitmap(s, files[f]->fileName, i, bitmapAt(data[f], i));
            else if (data[f][i].type == DAT_FONT)
                showFont(s, files[f]->fileName, i, fontAt(data[f], i));
            else if (data[f][i].type == DAT_SAMPLE)
                showSample(s, files[f]->fileName, i, sampleAt(data[f], i));
        }
    }
    s.section("mock-ups");
    playMockup(s, data[0], data[1], data[2]);
    menuMockup(s, data[2], false);
    menuMockup(s, data[2], true);
    gameOverMockup(s, data[0], data[2]);
    introMockup(s, data[2]);
    const int height = s.y + s.rowHeight + margin;

    std::vector<uint8_t> rgb(size_t(sheetWidth) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < sheetWidth; ++x) {
            const int c = getpixel(s.bmp, x, y);
            uint8_t* p = &rgb[(size_t(y) * sheetWidth + x) * 3];
            p[0] = uint8_t(getr(c));
            p[1] = uint8_t(getg(c));
            p[2] = uint8_t(getb(c));
        }
    destroy_bitmap(s.bmp);
    for (DATAFILE* d : data)
        unload_datafile(d);
    if (!writePng(argv[2], sheetWidth, height, rgb, false)) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    printf("%s: %d x %d\n", argv[2], sheetWidth, height);
    return 0;
}
