#include "host/freecam.h"

#include <cstdio>

bool Keys[256] = {};
bool EscapePressed = false;
uint8_t MouseLook = 0;
TCursor LastCursor = {0, 0};
float FreeCamSpeed = 0.01f;

int VirtualKeyFromSDL(SDL_Keycode key)
{
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE_KEY;
    case SDLK_LEFT: return VK_LEFT_KEY;
    case SDLK_RIGHT: return VK_RIGHT_KEY;
    case SDLK_UP: return VK_UP_KEY;
    case SDLK_DOWN: return VK_DOWN_KEY;
    case SDLK_PAGEUP: return VK_PRIOR_KEY;
    case SDLK_PAGEDOWN: return VK_NEXT_KEY;
    case SDLK_HOME: return VK_HOME_KEY;
    case SDLK_END: return VK_END_KEY;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT_KEY;
    default: break;
  }
  if (key >= SDLK_0 && key <= SDLK_9)
    return '0' + (key - SDLK_0);
  return -1;
}

void FreeCameraKeyEvent(int virtualKey, bool down)
{
  if (virtualKey < 0 || virtualKey >= 256)
    return;
  Keys[virtualKey] = down;
  if (down && virtualKey == VK_ESCAPE_KEY)
    EscapePressed = true;
}

void ResetFreeCamera()
{
  for (bool& key : Keys)
    key = false;
  EscapePressed = false;
  MouseLook = 0;
  LastCursor = {0, 0};
  FreeCamSpeed = 0.01f;
}

bool FreeCameraStep(TCamera& camera, TCursor cursor)
{
  const bool quit = Keys[VK_ESCAPE_KEY] || EscapePressed;
  EscapePressed = false;
  if (Keys[VK_LEFT_KEY])
    StrafeCamera(camera, FreeCamSpeed / 3);
  if (Keys[VK_RIGHT_KEY])
    StrafeCamera(camera, -FreeCamSpeed / 3);
  if (Keys[VK_UP_KEY])
    AdvanceCamera(camera, FreeCamSpeed * 3);
  if (Keys[VK_DOWN_KEY])
    AdvanceCamera(camera, -FreeCamSpeed * 3);
  if (Keys[VK_PRIOR_KEY])
    RaiseCamera(camera, FreeCamSpeed * 45);
  if (Keys[VK_NEXT_KEY])
    RaiseCamera(camera, -FreeCamSpeed * 45);
  // Home and End act once per key-down event (auto-repeat repeats them).
  if (Keys[VK_HOME_KEY]) {
    Keys[VK_HOME_KEY] = false;
    camera.FieldOfView += 5;
  }
  if (Keys[VK_END_KEY]) {
    Keys[VK_END_KEY] = false;
    camera.FieldOfView -= 5;
  }
  static const float FieldsOfView[8] = {10, 30, 50, 70, 90, 110, 130, 150};
  static const float Speeds[8] = {0.0001f, 0.001f, 0.01f, 0.1f, 1, 10, 100, 1000};
  for (int digit = 0; digit < 8; ++digit) {
    if (!Keys[VK_DIGIT1_KEY + digit])
      continue;
    if (Keys[VK_SHIFT_KEY])
      camera.FieldOfView = FieldsOfView[digit];
    else
      FreeCamSpeed = Speeds[digit];
  }
  if (MouseLook == 1) {
    const float yaw = static_cast<float>(cursor.x - LastCursor.x) / 333;
    const float pitch = static_cast<float>(cursor.y - LastCursor.y) / 333;
    TurnCamera(camera, pitch, yaw, 0);
  }
  LastCursor = cursor;
  return quit;
}

std::string RecordCameraKey(const TCamera& camera)
{
  std::string report;
  if (!AppendCameraKey(RecordedPath, camera))
    report = "default.camera: the path is full (" + std::to_string(RecordedPath.Count) +
             " keys); key not recorded";
  std::string error;
  if (!SaveCameraPath(RecordedPath, "default.camera", error))
    report = "default.camera: not saved: " + error + " (the file keeps its last keys)";
  return report;
}
