// PNG pictures of what GL drew, for screenshots, previews and the benchmark.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// rgb holds GL's rows, bottom row first; the file gets them top row first.
bool WritePngFile(const std::string &path, const std::vector<uint8_t> &rgb, int width, int height);
