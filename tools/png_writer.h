// A minimal PNG encoder (stored deflate blocks): enough for the contact sheet
// and the desktop icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgba: w * h * 4 bytes, or w * h * 3 when alpha is false.
std::vector<uint8_t> encodePng(int w, int h, const std::vector<uint8_t>& pixels, bool alpha);
bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels, bool alpha);
