// Helpers shared by the tests: a temporary directory that the test may chdir
// into, file writing, and the headless GL context (created once per process).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  const std::string& Path() const { return Dir; }
  std::string File(const std::string& name) const { return Dir + "/" + name; }
  // Makes this directory the working directory until destruction.
  void Enter();

private:
  std::string Dir;
  std::string Previous;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

// Makes the headless context current (creating it on first use). Returns
// false with a reason when no GL is available on this machine.
bool UseHeadlessContext(std::string& error);

// Runs the demo's whole start-up (InitDemo: render targets, font, assets,
// every scene's Prepare) once per process in the headless context, on the
// generated content in $MVRK_TEST_CONTENT, which becomes the working
// directory. Returns false with a reason when there is no content or GL;
// tests then skip.
bool UseStartedDemo(std::string& error);

// An all-black font texture as the program would load it: black, alpha 0,
// so that every caption drawn with it leaves the frame as it is. Made once
// per process in the current context.
uint32_t BlankFont();

// The frame read back as RGB, top row first, and one pixel of it.
struct TPixel {
  int r, g, b;
};
std::vector<uint8_t> ReadFrame();
TPixel PixelAt(const std::vector<uint8_t>& frame, int x, int y);
