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

// Puts back the 640 x 480 frame without multisampling (MakeFrame, then its
// viewport, and the frames started afresh) when the test ends, whatever it
// did to the frame.
class TDefaultFrameGuard {
public:
  ~TDefaultFrameGuard();
};

// A texture's level 0: one side (GL_TEXTURE_WIDTH or GL_TEXTURE_HEIGHT) in
// texels, or its texels as RGB bytes, bottom row first. Both leave the
// texture bound; TexturePixels sets the pack alignment to 1.
int TextureSide(uint32_t texture, uint32_t which);
std::vector<uint8_t> TexturePixels(uint32_t texture);

// The frame read back as RGB, top row first, and one pixel of it.
struct TPixel {
  int r, g, b;
};
std::vector<uint8_t> ReadFrame();
TPixel PixelAt(const std::vector<uint8_t>& frame, int x, int y);
