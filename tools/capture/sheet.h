// A contact sheet: frames shrunk to thumbnails in a grid, each labelled with
// its music time in a small built-in digit font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TContactSheet {
public:
  // Frames are frameWidth x frameHeight RGB; thumbnails are 1/scale of that.
  TContactSheet(int frameWidth, int frameHeight, int scale, int columns);
  void Add(const std::vector<uint8_t>& frame, int32_t musicTime);
  int Width() const;
  int Height() const;
  std::vector<uint8_t> Pixels() const;

private:
  int FrameWidth, FrameHeight, Scale, Columns;
  std::vector<std::vector<uint8_t>> Thumbnails;
  std::vector<int32_t> Times;
};
