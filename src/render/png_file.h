// PNG pictures of what GL drew, for screenshots, previews and the benchmark.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// pixels hold GL's rows, bottom row first, RGB (3 channels) or RGBA (4); the file gets them top
// row first.
bool WritePngFile(const std::string &path, const std::vector<uint8_t> &pixels, int width, int height, int channels = 3);
