#include "entities/object.h"

#include "entities/sound.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/seam.h"

namespace {
// Bounces happen this far in from the left and top edges; the right and
// bottom bounds are the screen edges themselves.
constexpr int bounceInset = 16;
constexpr int bounceVolume = 255;
} // namespace

Object::Object(int x, int y, int type, BITMAP* sprite, int dx, int dy)
    : mask(create_allegro_pmask(sprite)), x(x), y(y), type(type), dx(dx), dy(dy), hit(false),
      sprite(sprite), runs(get_rle_sprite(sprite))
{
}

Object::~Object()
{
    destroy_pmask(mask);
    if (runs)
        destroy_rle_sprite(runs);
}

void Object::draw(BITMAP* target)
{
    drawStill(target, runs, sprite, x, y);
}

void Object::move(SAMPLE* bounceSound)
{
    x += dx;
    y += dy;
    // A corner takes two steps: only the sideways bounce happens in this one.
    if (x <= bounceInset || x + sprite->w > screenWidth) {
        if (soundOn)
            seam.playSample(bounceSound, bounceVolume, panFor(x), ownPitch);
        dx = -dx;
        return;
    }
    if (y <= bounceInset || y + sprite->h > screenHeight) {
        dy = -dy;
        if (soundOn)
            seam.playSample(bounceSound, bounceVolume, panCentre, ownPitch);
    }
}

void drawStill(BITMAP* target, RLE_SPRITE* runs, BITMAP* sprite, int x, int y)
{
    if (runs && runs->color_depth == bitmap_color_depth(target))
        draw_rle_sprite(target, runs, x, y);
    else
        draw_sprite(target, sprite, x, y);
}

bool Object::isAtEdge()
{
    return x < 2 * dx || x + sprite->w > screenWidth - 2 * dx || y < 2 * dy ||
           y + sprite->h > screenHeight - 2 * dy;
}
