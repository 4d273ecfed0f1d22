// The developer's overlay: a few lines of text drawn over the presented
// picture only, in the window's own framebuffer after BlitFrameToWindow. The
// frame the effects read, and so every capture, never holds it.
//
// OverlayLines, FormatMusicTime and TPresentedFrameRate are plain arithmetic
// on text and times; DrawOverlay issues GL calls. Times are ms of music, except the
// frame rate's, which are seconds of wall-clock time.
#pragma once

#include "engine/camera.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The frame rate over the last second of presented frames.
class TPresentedFrameRate {
public:
  // A frame was presented at `seconds` (a monotonic clock).
  void Add(double seconds);
  // The mean over the frames of the last second (and the one before them, so
  // that a frame longer than a second still counts); 0 with fewer than two.
  double FrameMs() const;
  double FramesPerSecond() const;

private:
  std::deque<double> Times;
};

struct TOverlayInfo {
  int32_t MusicTime;
  bool Paused;
  double FrameMs;
  double FramesPerSecond;
  TVector3 Eye;                   // the free camera's eye
  std::vector<std::string> Notes;  // lines of their own, such as a reload's failures
};

// "mm:ss.mmm"; negative times clamp to 0.
std::string FormatMusicTime(int32_t t);

// The music time (with PAUSED while paused), the scene playing and its
// progress p, the frame time and rate, the eye, then the notes.
std::vector<std::string> OverlayLines(const TOverlayInfo& info);

// Draws the lines over the window's framebuffer (0), on a dark box, in the
// demo's font, at the top left of what a window of windowWidth x
// windowHeight pixels shows of the frame (where PlaceFrame puts it), in
// overlay units at the frame's scale. Puts back the GL state it changes:
// framebuffer bindings, attributes, matrices.
void DrawOverlay(const std::vector<std::string>& lines, int windowWidth, int windowHeight);
