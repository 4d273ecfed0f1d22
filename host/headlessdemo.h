// The demo without a window or an audio device, for the capture tool, the
// benchmark and the tests: the same start-up as the window's, then frames
// rendered at whatever music times the caller names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Makes contentDir the root the program's file names resolve from
// (SetContentRoot) once it is a folder that can be read; false with the reason
// ("cannot enter the content directory ...") otherwise. The working directory
// stays as it is.
bool UseContentDirectory(const std::string& contentDir, std::string& error);

// UseContentDirectory, then masks floating-point exceptions, keeps freed
// memory in the process (KeepFreedMemory), makes the headless GL context
// current, makes the frame width x height pixels (4:3) with samples per
// pixel (1 for none; MakeFrame), sets the frame's viewport and runs InitDemo; present is called once
// the "PRERENDERING..." screen is drawn. Returns false with a reason when a
// step fails. Call it once per process.
bool StartHeadlessDemo(const std::string& contentDir, int width, int height, int samples,
                       const std::function<void()>& present, std::string& error);

// Renders the frame at music time t as the live loop would with a clock that
// moved step ms while it drew: the next frame's trail sees a frame of
// max(step, FramePace) ms, as the pacing wait never ends a frame sooner.
void RenderHeadlessFrame(int32_t t, int32_t step);
