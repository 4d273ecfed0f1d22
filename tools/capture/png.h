// PNG output for captured frames: 8-bit RGB, top row first. A frame is
// encoded in memory and then written whole or not at all (ReplaceFileBytes),
// so an interrupted capture never leaves a truncated PNG under a frame's name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// On failure returns false with the reason (the system's, for the file).
bool EncodePng(int width, int height, const std::vector<uint8_t>& rgb, std::vector<uint8_t>& png,
               std::string& error);
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error);
