#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files of small pictures, for the icons of the published menu items.

// A PNG file of `width` x `height` pixels, each 0xAARRGGBB, rows from the top.
std::string EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels);
