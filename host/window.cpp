#include "host/window.h"

#include "engine/fatal.h"
#include "engine/framebuffer.h"
#include "host/controls.h"
#include "host/freecam.h"
#include "host/lostdisplay.h"
#include "host/musicclock.h"
#include "host/overlay.h"
#include "host/timeline.h"

#include <SDL.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

TWindowMode Mode = TWindowMode::FullScreen;  // as main chose it
bool FullScreen = true;  // the display's mode is (to be) switched: FullScreen mode, not declined
SDL_Window* WindowHandle = nullptr;
SDL_GLContext RenderContext = nullptr;
bool VideoStarted = false;

TAudioClock MusicClock("data\\soundtrack.ogg");

bool OverlayShown = false;
std::vector<std::string> Report;  // the last reload's or failed save's lines on the overlay
TPresentedFrameRate FrameRate;

// "frame 1440x1080, 4 samples" for the overlay.
std::string FrameDescription()
{
  const int samples = FrameSampleCount();
  return "frame " + std::to_string(FrameWidth) + "x" + std::to_string(FrameHeight) + ", " +
         (samples == 1 ? std::string("no multisampling") : std::to_string(samples) + " samples");
}

// The frame the window shows: 640 x 480 in the full-screen 640 x 480 mode,
// else the frame for its drawable (FrameForOutput: drawn natively, the
// picture edge to edge on 16:9, the whole 4:3 frame on 4:3).
TFrameSize WindowFrameSize()
{
  if (FullScreen || !WindowHandle)
    return {BaseFrameWidth, BaseFrameHeight};
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(WindowHandle, &width, &height);
  return FrameForOutput(width, height);
}

// A window that changed size while playing: the frame and its render targets
// are made anew, and the trail starts afresh.
void FollowWindowSize()
{
  const TFrameSize frame = WindowFrameSize();
  std::string error;
  if (frame.Width == FrameWidth && frame.Height == FrameHeight)
    return;
  if (ResizeFrame(frame.Width, frame.Height, error))
    std::fprintf(stderr, "mvrk_dms: %s\n", FrameDescription().c_str());
  else
    std::fprintf(stderr, "mvrk_dms: the frame stays %dx%d: %s\n", FrameWidth, FrameHeight,
                 error.c_str());
}

// A path that fails to load keeps its old keys; the demo plays on.
void ReloadPaths()
{
  std::vector<std::string> failures;
  const int reloaded = ReloadCameraPaths(failures);
  Report.assign(1, "F5: " + std::to_string(reloaded) + " camera paths reloaded" +
                             (failures.empty() ? "" : ", " + std::to_string(failures.size()) +
                                                          " kept their old keys:"));
  std::fprintf(stderr, "%s\n", Report.front().c_str());
  for (const std::string& failure : failures) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    Report.push_back(failure);
  }
}

// A key that cannot be recorded or saved is said on standard error and the
// overlay; the demo plays on.
void RecordKey()
{
  const std::string failure = RecordCameraKey(Camera);
  if (failure.empty())
    return;
  std::fprintf(stderr, "%s\n", failure.c_str());
  Report.assign(1, failure);
}

void ApplyDemoAction(TDemoAction action)
{
  switch (action) {
    case TDemoAction::None:
      break;
    case TDemoAction::Pause:
      if (MusicClock.Paused())
        MusicClock.Resume();
      else
        MusicClock.Pause();
      // Said on standard error with the held time, so that a screen grab of
      // the paused picture can be compared with the capture at that time.
      std::fprintf(stderr, MusicClock.Paused() ? "mvrk_dms: paused at %d ms\n"
                                               : "mvrk_dms: playing from %d ms\n",
                   static_cast<int>(MusicClock.Position()));
      break;
    case TDemoAction::Overlay:
      OverlayShown = !OverlayShown;
      break;
    case TDemoAction::ReloadPaths:
      ReloadPaths();
      break;
    default:
      SeekTimeline(MusicClock, SeekTarget(action, MusicClock.Position()));
      break;
  }
}

// A failure the user sees with the program's own text; the system's reason
// goes to standard error beside it.
void ReportFailure(const char* text, const std::string& reason, TMessageIcon icon)
{
  if (!reason.empty())
    std::fprintf(stderr, "%s\n", reason.c_str());
  ShowMessage(text, "Error", icon);
}

bool ModeFits(const SDL_DisplayMode& mode, int width, int height)
{
  return mode.w == width && mode.h == height && SDL_BITSPERPIXEL(mode.format) >= 24;
}

// The display offers 640 x 480 exactly (at 24 or 32 bits) as a full-screen
// mode, or already shows it. When it does not, the modes it offers go to
// standard error, so that the question that follows can be understood.
bool FullScreenModeAvailable(int width, int height)
{
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && ModeFits(mode, width, height))
    return true;
  const int modes = SDL_GetNumDisplayModes(0);
  std::string offered;
  for (int i = 0; i < modes; ++i) {
    if (SDL_GetDisplayMode(0, i, &mode) != 0)
      continue;
    if (ModeFits(mode, width, height))
      return true;
    offered += " " + std::to_string(mode.w) + "x" + std::to_string(mode.h) + "x" +
               std::to_string(SDL_BITSPERPIXEL(mode.format));
  }
  if (modes < 0)
    offered = std::string(" none (") + SDL_GetError() + ")";
  const char* driver = SDL_GetCurrentVideoDriver();
  std::fprintf(stderr, "The display (video driver %s) offers no %dx%d mode; its modes:%s\n",
               driver ? driver : "none", width, height, offered.empty() ? " none" : offered.c_str());
  return false;
}

void HandleEvent(const SDL_Event& event, bool& quit)
{
  switch (event.type) {
    case SDL_QUIT:
      quit = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE)
        quit = true;
      else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        FollowWindowSize();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      FreeCameraKeyEvent(VirtualKeyFromSDL(event.key.keysym.sym), event.type == SDL_KEYDOWN);
      const TDemoAction action = DemoActionFromSDL(event.key.keysym.sym);
      if (event.type == SDL_KEYDOWN && (!event.key.repeat || DemoActionRepeats(action)))
        ApplyDemoAction(action);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT)
        MouseLook = 1;
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT)
        MouseLook = 0;
      else if (event.button.button == SDL_BUTTON_RIGHT)
        RecordKey();
      break;
    default:
      break;
  }
}

}  // namespace

TMusicClock& DemoMusicClock()
{
  return MusicClock;
}

void PresentFrame(int32_t t)
{
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(WindowHandle, &width, &height);
  BlitFrameToWindow(width, height);
  if (OverlayShown) {
    std::vector<std::string> notes = {FrameDescription()};
    notes.insert(notes.end(), Report.begin(), Report.end());
    const TOverlayInfo info = {t,           MusicClock.Paused(), FrameRate.FrameMs(),
                               FrameRate.FramesPerSecond(), Camera.Eye, notes};
    DrawOverlay(OverlayLines(info), width, height);
  }
  SDL_GL_SwapWindow(WindowHandle);
}

namespace {

// Video start: SDL's video on a display that shows the window. Without a
// display SDL falls back to a driver that draws nowhere; a demo that plays
// unseen is a failure, unless that driver was asked for.
bool StartVideo()
{
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ReportFailure("Failed To Register The Window Class.", SDL_GetError(), TMessageIcon::Error);
    return false;
  }
  VideoStarted = true;
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  if ((driver == "offscreen" || driver == "dummy") &&
      !(wanted && std::strstr(wanted, driver.c_str()))) {
    DestroyDemoWindow();
    const char* display = SDL_getenv("DISPLAY");
    ReportFailure("Failed To Register The Window Class.",
                  std::string("no display could be opened (DISPLAY=") + (display ? display : "") +
                      ")",
                  TMessageIcon::Error);
    return false;
  }
  // A fatal error during start-up ends the process with exit(), and
  // SDL_Quit then still restores the desktop mode; a display that goes away
  // ends the process without it.
  std::atexit(SDL_Quit);
  EndOnLostDisplay();
  return true;
}

// Mode choice: the full-screen start needs the display's width x height
// mode; without it the user is asked for a window (FullScreen cleared) or
// the program closes.
bool ChooseFullScreenMode(int width, int height)
{
  if (!FullScreen || FullScreenModeAvailable(width, height))
    return true;
  if (AskYesNo("This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?", "Tuvo GL")) {
    FullScreen = false;
    return true;
  }
  ShowMessage("Program Will Now Close.", "Error", TMessageIcon::Error);
  return false;
}

// The window, hidden until its frame exists: full screen in the mode, the
// desktop's size borderless, or a window of width x height (resizable in
// Window mode).
bool MakeWindow(const std::string& title, int width, int height, int bits)
{
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (FullScreen) {
    flags |= SDL_WINDOW_FULLSCREEN;
  } else if (Mode == TWindowMode::Desktop) {
    // Made at the desktop's size from the start, so that the window covers
    // the screen also where no window manager carries out the full-screen
    // request.
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    SDL_DisplayMode shown;
    if (SDL_GetDesktopDisplayMode(0, &shown) == 0) {
      width = shown.w;
      height = shown.h;
    }
  } else if (Mode == TWindowMode::Window) {
    flags |= SDL_WINDOW_RESIZABLE;
  }
  WindowHandle = SDL_CreateWindow(title.c_str(), 0, 0, width, height, flags);
  if (!WindowHandle) {
    // SDL picks the pixel format (the GL visual) while it creates the window.
    const std::string reason = SDL_GetError();
    const bool noFormat = reason.find("visual") != std::string::npos ||
                          reason.find("pixel format") != std::string::npos;
    DestroyDemoWindow();
    ReportFailure(noFormat ? "Cant't Find A Suitable PixelFormat." : "Window creation error.", reason,
                  TMessageIcon::Warning);
    return false;
  }
  if (FullScreen) {
    SDL_DisplayMode mode = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
    SDL_SetWindowDisplayMode(WindowHandle, &mode);
  }
  if (FullScreen || Mode == TWindowMode::Desktop)
    SDL_ShowCursor(SDL_DISABLE);
  return true;
}

// The GL context, made and current.
bool MakeContext()
{
  RenderContext = SDL_GL_CreateContext(WindowHandle);
  if (!RenderContext) {
    const std::string reason = SDL_GetError();
    DestroyDemoWindow();
    ReportFailure("Cant't create a GL rendering context.", reason, TMessageIcon::Warning);
    return false;
  }
  if (SDL_GL_MakeCurrent(WindowHandle, RenderContext) != 0) {
    const std::string reason = SDL_GetError();
    DestroyDemoWindow();
    ReportFailure("Cant't activate the GL rendering context.", reason, TMessageIcon::Warning);
    return false;
  }
  // The music clock paces the frames; waiting for the display would only add jitter.
  SDL_GL_SetSwapInterval(0);
  return true;
}

// A frame that cannot be had, named with its size by the reason.
void ReportFrameFailure(const std::string& reason)
{
  ReportFailure(("mvrk_dms: " + reason).c_str(), "", TMessageIcon::Error);
}

// The frame for the window: the window shown, then the frame at its size for
// the window as it is shown (FrameForOutput), with the samples asked for;
// where the driver cannot make that size, the 640 x 480 frame, shown scaled.
bool MakeFrameForWindow(int samples)
{
  SDL_ShowWindow(WindowHandle);
  SDL_RaiseWindow(WindowHandle);
  std::string error;
  const TFrameSize frame = WindowFrameSize();
  bool made = MakeFrame(frame.Width, frame.Height, samples, error);
  if (!made && (frame.Width != BaseFrameWidth || frame.Height != BaseFrameHeight)) {
    std::string fallback;
    made = MakeFrame(BaseFrameWidth, BaseFrameHeight, samples, fallback);
    if (made)
      std::fprintf(stderr, "mvrk_dms: the frame is %dx%d instead: %s\n", BaseFrameWidth,
                   BaseFrameHeight, error.c_str());
    else
      error = fallback;
  }
  if (!made) {
    DestroyDemoWindow();
    ReportFrameFailure(error);
    return false;
  }
  std::fprintf(stderr, "mvrk_dms: %s\n", FrameDescription().c_str());
  SetupViewport(FrameWidth, FrameHeight);
  return true;
}

}  // namespace

bool CreateDemoWindow(const std::string& title, TWindowMode mode, int width, int height, int bits,
                      int samples)
{
  Mode = mode;
  FullScreen = mode == TWindowMode::FullScreen;
  return StartVideo() && ChooseFullScreenMode(width, height) &&
         MakeWindow(title, width, height, bits) && MakeContext() && MakeFrameForWindow(samples);
}

void DestroyDemoWindow()
{
  if (WindowHandle) {
    if (FullScreen)
      SDL_SetWindowFullscreen(WindowHandle, 0);
    SDL_ShowCursor(SDL_ENABLE);
  }
  if (RenderContext) {
    if (SDL_GL_MakeCurrent(WindowHandle, nullptr) != 0)
      ShowMessage("Release of DC and RC failed.", " Shutdown Error", TMessageIcon::Error);
    SDL_GL_DeleteContext(RenderContext);
    RenderContext = nullptr;
  }
  if (WindowHandle) {
    SDL_DestroyWindow(WindowHandle);
    WindowHandle = nullptr;
  }
  if (VideoStarted) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoStarted = false;
  }
}

void RunMessageLoop()
{
  bool quit = false;
  while (!quit) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      HandleEvent(event, quit);
      continue;
    }
    // The music is over: the loop ends, and main tears the window down.
    const std::optional<int32_t> drawn = DrawFrame(MusicClock);
    if (!drawn)
      break;
    PresentFrame(*drawn);
    FrameRate.Add(std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                      .count());
    TCursor cursor;
    SDL_GetGlobalMouseState(&cursor.x, &cursor.y);
    if (FreeCameraStep(Camera, cursor))
      quit = true;
  }
}
