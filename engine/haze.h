// The dusty haze of the outdoor scenes in 8-bit RGB, read by both sides that
// must agree on it: the frame fades the ground into it (scenes/frame.h's
// HazeLight and HazeDark are these over 255) and the content generator
// paints the sky images' horizon from it (tools/content/images.cpp), so the
// haze meets the sky. Plain numbers, no dependencies.
#pragma once

#include <cstdint>

struct THazeRgb {
  uint8_t R, G, B;
};

constexpr THazeRgb HazeLightRgb = {140, 130, 114};
constexpr THazeRgb HazeDarkRgb = {45, 33, 65};
