// The demo's window and GL context, on SDL2: the message loop with the free
// camera, and window creation and teardown with their user-facing messages.
#pragma once

#include <string>

// Creates the window, runs the loop until the user quits, destroys the
// window. Returns false when the window could not be created.
bool RunDemo();

bool CreateDemoWindow(const std::string& title, int width, int height, int bits, bool fullScreen);
void DestroyDemoWindow();
