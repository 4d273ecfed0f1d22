// The timeline: the table of timed scenes, the one-time start-up and the
// per-frame routine.
//
// Times are signed milliseconds of music (MusicTime). The music clock is the
// only clock; the front end (window or capture) passes it in, or renders a
// time directly (RenderFrame, EndFrame). The window's developer keys pause the
// clock and seek it through SeekTimeline.
#pragma once

#include "scenes/intervals.h"
#include "scenes/scene.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TMusicClock;

constexpr int SceneSlotCount = 32;

// The thirteen scenes in slots 0 to 12 (SceneIntervals), placeholder city
// scenes in 13 to 19, the rest empty.
extern std::unique_ptr<mve_genericscene> SceneTable[SceneSlotCount];  // written by BuildSceneTable

// ms of music of the frame drawn last (or being drawn); written by RenderFrame
// only. The warm-up draws without it and leaves it as it was.
extern int32_t MusicTime;

// The music a frame is paced to, in ms.
constexpr int32_t FramePace = 20;

// Fills SceneTable afresh, with new scene objects. InitDemo starts the
// timeline with it; until then the table is empty.
void BuildSceneTable();

// The frame's GL viewport and a default 45-degree projection; scenes replace
// the projection through their cameras.
void SetupViewport(int width, int height);

// One-time start-up once the GL context is current and the frame made
// (MakeFrame): the scene table (BuildSceneTable), GL defaults, font, the "PRERENDERING..." screen (shown with present), assets,
// every scene's Prepare, WarmUpScenes, then the music is started at
// startTime ms.
void InitDemo(TMusicClock& clock, const std::function<void()>& present, int32_t startTime);

// Draws every scene of the timeline at the times of WarmUpTimes, the first
// into a scissored box of at most the base frame's size (640 x 480) and the
// others into one scissored pixel, so that GL compiles every combination of
// state the demo uses, and every scene has drawn one frame's worth, before
// the music starts instead of at the first frame after a cut; then the frame
// at startTime, into the box, FirstFrameRehearsals times, so that the
// first frames the music plays under run at their steady pace. Then puts
// back everything the drawing changed: the frame's pixels and depth, the
// screen copies and the other render targets (black again), the GL
// attributes and matrices, the frame pacing, Camera, ScreenCopyIndex and
// RandomSeed; MusicTime it does not touch. The frames that follow are drawn
// exactly as without it.
void WarmUpScenes(int32_t startTime);
constexpr int FirstFrameRehearsals = 2;

// Where in a scene the warm-up draws: fractions of its interval (cut off at
// LastFrameTime) chosen to pass every switch of state inside the scenes (the
// fades and flashes of the first and second halves, the last-quarter water).
constexpr int WarmUpFrameCount = 5;
extern const double WarmUpFractions[WarmUpFrameCount];
std::vector<int32_t> WarmUpTimes(const mve_genericscene& scene);

// Makes the frame anew at a new size with its samples, storage and render
// targets (MakeFrame), sets its viewport and projection (SetupViewport) and
// starts the frames afresh, with no trail from before, as after a seek. All
// or nothing: false with MakeFrame's reason when the frame cannot be had;
// the frame, its render targets and pixels, the GL state (viewport, clear
// colour, pack alignment, matrices) and the frame pacing then stay as they
// were, and the frames go on as before.
bool ResizeFrame(int width, int height, std::string& error);

// Draws the scenes active at music time t into the frame, handing each the
// pacing the timeline holds for it (PacingOfNextFrame); MusicTime := t.
void RenderFrame(int32_t t);
// Records for the next frame how much music this frame took: the next frame
// is drawn with the pacing {elapsed, FramePace}.
void EndFrame(int32_t elapsed);
// The pacing the next frame is drawn with. The timeline owns it: EndFrame
// writes it, and StartFramesAfresh puts back FirstFramePacing.
TFramePacing PacingOfNextFrame();
// The next frame starts afresh, as the first frame does: FirstFramePacing,
// so that its trail shows nothing of the picture before, and no held paused
// values.
void StartFramesAfresh();
// The live frame: RenderFrame at the clock's position, then a wait until the
// clock has moved at least FramePace ms on, then EndFrame. Returns the music
// time drawn, for presenting; nothing, drawing nothing, once the music has
// passed LastFrameTime: the demo is over, and the host ends its loop.
//
// While the clock is paused its position does not move, so a paused frame
// waits FramePace ms of wall-clock time instead. Every paused frame at one
// time is drawn from the values the first of them began with (the pacing,
// Camera, the random seed, the screen copy in use), so the picture stands
// still however long the pause lasts.
std::optional<int32_t> DrawFrame(TMusicClock& clock);

// Moves the clock to t, kept between 0 and LastFrameTime, and starts the
// frames afresh (StartFramesAfresh), so that the next frame's trail does not
// smear the picture from before the jump into it. Call it between frames.
void SeekTimeline(TMusicClock& clock, int32_t t);
