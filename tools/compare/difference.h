// How far two frames differ, and the tolerance the fast drawing path keeps
// against the reference path: per frame, a mean absolute difference of at
// most 0.5 / 255 per channel, and at most 0.05 % of the pixels with any
// channel off by more than 16 / 255.
//
// Frames are RGB bytes, rows packed (width * 3 bytes each). Plain arithmetic
// and PNG decoding; no GL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr double ToleratedMeanDifference = 0.5;   // per channel, in 1/255
constexpr double ToleratedShareOver16 = 0.0005;   // of the pixels
constexpr int LargeDifference = 16;               // a channel off by more than this counts

struct TFrameDifference {
  double Mean = 0;        // mean |a - b| over every channel of every pixel, in 1/255
  double ShareOver16 = 0; // pixels with a channel off by more than 16, over all pixels
  int Worst = 0;          // the largest channel difference
  int WorstX = 0;         // a pixel with that difference, from the top-left
  int WorstY = 0;
};

// Two frames of the same size, width * height * 3 bytes each.
TFrameDifference CompareFrames(const uint8_t* a, const uint8_t* b, int width, int height);

bool WithinTolerance(const TFrameDifference& difference);

// A PNG held in memory as RGB bytes, top row first (any PNG libpng reads:
// grey, palette, alpha, 16-bit, all turned into 8-bit RGB on black). Frames
// over 8192 pixels a side are refused; false with the reason otherwise.
bool DecodePng(const uint8_t* bytes, size_t size, int& width, int& height,
               std::vector<uint8_t>& rgb, std::string& error);
