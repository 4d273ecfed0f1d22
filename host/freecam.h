// The developer's free camera: key and mouse state fed by the window's event
// handler, and the step applied to Camera after each presented frame. Keys
// are indexed by Windows virtual-key codes; the window maps SDL key codes to
// them with VirtualKeyFromSDL.
#pragma once

#include "engine/camera.h"

#include <SDL.h>

#include <cstdint>
#include <string>

enum : int {
  VK_SHIFT_KEY = 16,
  VK_ESCAPE_KEY = 27,
  VK_PRIOR_KEY = 33,  // Page Up
  VK_NEXT_KEY = 34,   // Page Down
  VK_END_KEY = 35,
  VK_HOME_KEY = 36,
  VK_LEFT_KEY = 37,
  VK_UP_KEY = 38,
  VK_RIGHT_KEY = 39,
  VK_DOWN_KEY = 40,
  VK_DIGIT1_KEY = 49,
  VK_DIGIT8_KEY = 56,
};

struct TCursor {
  int32_t x, y;
};

// Held keys by virtual-key code; written by FreeCameraKeyEvent, by
// FreeCameraStep (Home and End, cleared once acted on) and ResetFreeCamera.
extern bool Keys[256];
// An Escape key-down not yet acted on; set by FreeCameraKeyEvent, cleared by
// FreeCameraStep and ResetFreeCamera.
extern bool EscapePressed;
// 1 while the left button looks around; written by the window's event
// handler (host/window.cpp) and ResetFreeCamera.
extern uint8_t MouseLook;
extern TCursor LastCursor;   // screen pixels, the cursor at the previous step; written by FreeCameraStep
extern float FreeCamSpeed;   // the free camera's step, scaled per move; written by FreeCameraStep (digits)

// The virtual-key code of an SDL key, or -1 for keys the demo ignores.
int VirtualKeyFromSDL(SDL_Keycode key);

// A key going down or up in the window's events: Keys follows the held
// state, and an Escape key-down is kept until the next step even when its
// key-up came in the same batch of events (a quick tap during a slow frame,
// or one pressed while the demo was loading).
void FreeCameraKeyEvent(int virtualKey, bool down);

// Resets keys, mouse look, cursor and speed to their start values.
void ResetFreeCamera();

// One idle-iteration step on camera, in the fixed key order, then the mouse
// look from the cursor position (screen pixels). Returns true when Escape is
// held or was pressed since the last step, asking the loop to quit.
bool FreeCameraStep(TCamera& camera, TCursor cursor);

// Right-button release: appends camera to RecordedPath and rewrites
// "default.camera" in the working directory, whole or not at all. Returns what
// went wrong (a full path, a failed save with the system's reason), empty when
// the key was saved; a failed save keeps the old file.
std::string RecordCameraKey(const TCamera& camera);
