// PNG output for captured frames: 8-bit RGB, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error);
