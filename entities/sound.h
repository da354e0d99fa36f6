// How the entities place their sounds.
#pragma once

#include "shell/globals.h"

// Returns (x / screen width) x 255 truncated toward zero: 0 at the left edge,
// 255 at the right. Positions off the screen give values outside 0..255,
// which the mixer clamps.
inline int panFor(float x)
{
    return static_cast<int>(x / screenWidth * 255.0f);
}

// Pan of the sounds that are not tied to a position.
constexpr int panCentre = 128;

// Frequency that plays a sample at its own pitch.
constexpr int ownPitch = 1000;
