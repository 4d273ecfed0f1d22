#include "engine/headless.h"

#include "engine/framebuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string EglError(const char* step)
{
  char code[16];
  std::snprintf(code, sizeof code, "0x%04x", eglGetError());
  return std::string(step) + " failed (EGL error " + code + ")";
}

// A pbuffer and a desktop GL compatibility context with 24 depth bits on the
// display, made current.
bool ContextOn(EGLDisplay display, std::string& error)
{
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) {
    error = EglError("eglInitialize");
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = EglError("eglBindAPI(OpenGL)");
    return false;
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                     EGL_DEPTH_SIZE, 24, EGL_NONE};
  EGLConfig config;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    error = EglError("eglChooseConfig(pbuffer, OpenGL, 24-bit depth)");
    return false;
  }
  // The frame is drawn into its own frame buffer object; the pbuffer only
  // gives the context a surface.
  const EGLint surfaceAttributes[] = {EGL_WIDTH, BaseFrameWidth, EGL_HEIGHT, BaseFrameHeight,
                                      EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) {
    error = EglError("eglCreatePbufferSurface");
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    error = EglError("eglCreateContext(compatibility profile)");
    return false;
  }
  if (!eglMakeCurrent(display, surface, surface, context)) {
    error = EglError("eglMakeCurrent");
    return false;
  }
  return true;
}

// Mesa's surfaceless platform first; where it is missing (another vendor's
// EGL), the first EGL device that gives such a context.
bool MakeHeadlessContext(std::string& error)
{
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) {
    error = "EGL has no eglGetPlatformDisplayEXT";
    return false;
  }
  EGLDisplay display =
      getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  std::string surfaceless;
  if (display != EGL_NO_DISPLAY && ContextOn(display, surfaceless))
    return MakeFrame(BaseFrameWidth, BaseFrameHeight, 1, error);
  if (display == EGL_NO_DISPLAY)
    surfaceless = EglError("eglGetPlatformDisplayEXT(surfaceless)");

  auto queryDevices =
      reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  EGLDeviceEXT devices[16];
  EGLint count = 0;
  if (!queryDevices || !queryDevices(16, devices, &count) || count < 1) {
    error = surfaceless + "; and no EGL device to fall back on";
    return false;
  }
  std::string tried;
  for (EGLint d = 0; d < count; ++d) {
    display = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[d], nullptr);
    std::string reason;
    if (display != EGL_NO_DISPLAY && ContextOn(display, reason))
      return MakeFrame(BaseFrameWidth, BaseFrameHeight, 1, error);
    tried += "; device " + std::to_string(d) + ": " +
             (display == EGL_NO_DISPLAY ? EglError("eglGetPlatformDisplayEXT(device)") : reason);
  }
  error = surfaceless + tried;
  return false;
}

}  // namespace

bool CreateHeadlessContext(std::string& error)
{
  static bool tried = false;
  static bool made = false;
  static std::string reason;
  if (!tried) {
    tried = true;
    made = MakeHeadlessContext(reason);
  }
  error = reason;
  return made;
}
