// Shared by the generator's picture files.
#pragma once

#include "tools/assets.h"
#include "tools/canvas.h"

#include <functional>

namespace assets {

// Draws into a fresh w x h image and cuts it to a hard-edged sprite.
art::Picture sprite(int w, int h, const std::function<void(art::Image&)>& draw, float minBrightness = 0.2f);
// The player's ship (a 32 x 32 design) scaled by s with its top left at (ox, oy).
void drawShip(art::Image& img, float ox, float oy, float s);

} // namespace assets
