// Plays the demo headless at the live pace, a frame every 20 ms of music with
// glFinish after each, over the whole timeline or a range of it, and reports
// the wall time of drawing per scene: median, 95th percentile, worst frame and
// the slowest second of music. Options:
//   --from MS --to MS   the range (default the whole timeline)
//   --steps             also the time of each step of the frame (with glFinish
//                       between steps, which makes whole frames slower)
//   --cuts              the cut report: the longest frame in the 200 ms after
//                       each cut against the median of the second after that
//   --json FILE         the same figures for tools
//   --size WxH          the frame drawn as for an output of that size, the
//                       picture fitted to it as the capture and the window
//                       do (default 640x480)
//   --msaa N            the frame drawn with N samples (2, 4 or 8)
//   --reference         the layered effects drawn layer by layer, as designed
// Usage: mvrk_bench CONTENT_DIR [options]
#include "bench/benchstats.h"
#include "engine/framebuffer.h"
#include "engine/numbers.h"
#include "engine/shaders.h"
#include "host/headlessdemo.h"
#include "host/options.h"
#include "host/timeline.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A frame every FramePace ms of music, as the live loop draws them.
constexpr int32_t LiveStep = FramePace;

struct TOptions {
  std::string Content;
  int32_t From = 0;
  int32_t To = LastFrameTime;
  bool Steps = false;
  bool Cuts = false;
  std::string Json;
  int32_t Width = BaseFrameWidth;  // of the output the frame is fitted to
  int32_t Height = BaseFrameHeight;
  int32_t Samples = 1;
  bool Reference = false;
};

const char* const Usage =
    "usage: mvrk_bench CONTENT_DIR [--from MS] [--to MS] [--steps] [--cuts] [--json FILE]\n"
    "                  [--size WxH] [--msaa N] [--reference]\n"
    "Plays the timeline (or from..to) headless at the live pace and reports the\n"
    "frame times per scene; --steps times each step of the frame, --cuts the\n"
    "frames after each cut, --json writes the figures to FILE, --size draws the\n"
    "frame for a WxH output (the picture fitted to it: 16:9 edge to edge, a 4:3\n"
    "size the whole 640x480 frame), --msaa with N samples,\n"
    "--reference draws the layered effects layer by layer, as designed.\n";

[[noreturn]] void Fail(const std::string& message)
{
  std::fprintf(stderr, "mvrk_bench: %s\n%s", message.c_str(), Usage);
  std::exit(2);
}

int32_t ParseTime(const std::string& flag, const char* text)
{
  int32_t value = 0;
  if (!ParseWholeNumber(text, LastFrameTime, value))
    Fail(flag + " takes a music time from 0 to " + std::to_string(LastFrameTime) + " ms");
  return value;
}

TOptions ParseOptions(int argc, char** argv)
{
  TOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(Usage, stdout);
      std::exit(0);
    }
    if (arg == "--steps")
      options.Steps = true;
    else if (arg == "--cuts")
      options.Cuts = true;
    else if (arg == "--reference")
      options.Reference = true;
    else if ((arg == "--from" || arg == "--to" || arg == "--json" || arg == "--size" ||
              arg == "--msaa") && i + 1 < argc) {
      const char* value = argv[++i];
      std::string valueError;
      if (arg == "--msaa" && !ParseSampleCount(value, options.Samples, valueError))
        Fail(valueError);
      if (arg == "--msaa")
        continue;
      if (arg == "--size" && !ParseOutputSize(arg, value, options.Width, options.Height, valueError))
        Fail(valueError);
      if (arg == "--size")
        continue;
      if (arg == "--from")
        options.From = ParseTime(arg, value);
      else if (arg == "--to")
        options.To = ParseTime(arg, value);
      else
        options.Json = value;
    } else if (arg.rfind("--", 0) == 0)
      Fail("unknown option or missing value: " + arg);
    else if (options.Content.empty())
      options.Content = arg;
    else
      Fail("one content directory only");
  }
  if (options.Content.empty())
    Fail("no content directory");
  if (options.From > options.To)
    Fail("--from is after --to");
  return options;
}

int ActiveSlot(int32_t t)
{
  for (int slot = 0; slot < SceneSlotCount; ++slot)
    if (SceneTable[slot] && SceneTable[slot]->Progress(t) != -1.0f)
      return slot;
  return -1;
}

const char* SceneName(int slot)
{
  return slot >= 0 && slot < SceneCount ? SceneIntervals[slot].Name : "?";
}

double Since(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv)
{
  TOptions options = ParseOptions(argc, argv);
  auto started = std::chrono::steady_clock::now();
  std::string error;
  UseReferencePath(options.Reference);
  const TFrameSize fit = FrameForOutput(options.Width, options.Height);
  if (!StartHeadlessDemo(options.Content, fit.Width, fit.Height, options.Samples, [] {},
                         error)) {
    std::fprintf(stderr, "mvrk_bench: %s\n", error.c_str());
    return 1;
  }
  glFinish();
  const double startupMs = Since(started);
  std::printf("output %dx%d, frame %dx%d, %d sample%s, %s path\n", options.Width, options.Height,
              FrameWidth, FrameHeight, FrameSampleCount(),
              FrameSampleCount() == 1 ? "" : "s", ReferencePathInUse() ? "reference" : "fast");
  std::printf("start-up (InitDemo): %.3f s\n", startupMs / 1000);

  // Every frame at the live pace; per scene, the step times summed.
  std::vector<TFrameTime> frames;
  std::vector<std::vector<double>> stepMs(SceneSlotCount, std::vector<double>(FrameStepCount));
  StepTimes.Enabled = options.Steps;
  double totalMs = 0;
  for (int32_t t = options.From; t <= options.To; t += LiveStep) {
    const int slot = ActiveSlot(t);
    started = std::chrono::steady_clock::now();
    StepTimes = TStepTimes();
    StepTimes.Enabled = options.Steps;
    RenderHeadlessFrame(t, LiveStep);
    MarkFrameStep(TFrameStep::Count);
    glFinish();
    const double ms = Since(started);
    frames.push_back({t, slot, ms});
    totalMs += ms;
    if (slot >= 0)
      for (int k = 0; k < FrameStepCount; ++k)
        stepMs[slot][k] += StepTimes.Ms[k];
  }

  const std::vector<TSceneStats> scenes = SceneStats(frames, LiveStep);
  std::printf("%d frames from %d to %d ms at %d ms steps: %.1f s of drawing for %.1f s of music\n",
              static_cast<int>(frames.size()), options.From, options.To, LiveStep, totalMs / 1000,
              frames.size() * LiveStep / 1000.0);
  std::printf("%-8s %6s %9s %9s %9s %9s %14s %9s\n", "scene", "frames", "median", "p95", "worst",
              "worst at", "slowest second", "at");
  for (const TSceneStats& s : scenes)
    std::printf("%-8s %6d %9.1f %9.1f %9.1f %9d %14.1f %9d\n", SceneName(s.Slot), s.Frames,
                s.MedianMs, s.P95Ms, s.WorstMs, s.WorstAt, s.SlowestSecondMs, s.SlowestSecondAt);
  if (options.Steps) {
    std::printf("\nmean ms per frame and step (glFinish between steps)\n%-8s", "scene");
    for (const char* name : FrameStepNames)
      std::printf(" %8s", name);
    std::printf("\n");
    for (const TSceneStats& s : scenes) {
      std::printf("%-8s", SceneName(s.Slot));
      for (int k = 0; k < FrameStepCount; ++k)
        std::printf(" %8.1f", stepMs[s.Slot][k] / s.Frames);
      std::printf("\n");
    }
  }

  std::vector<TCutStats> cuts;
  if (options.Cuts) {
    std::vector<int32_t> times;
    for (int slot = 0; slot < SceneCount; ++slot)
      times.push_back(SceneTable[slot]->StartTime);
    cuts = CutStats(frames, times);
    std::printf("\n%-8s %9s %9s %9s %9s %7s\n", "cut to", "at", "worst", "worst at", "median",
                "ratio");
    for (const TCutStats& c : cuts)
      std::printf("%-8s %9d %9.1f %9d %9.1f %7.2f\n", SceneName(c.Slot), c.Time, c.WorstMs,
                  c.WorstAt, c.MedianMs, c.MedianMs > 0 ? c.WorstMs / c.MedianMs : 0.0);
  }

  if (!options.Json.empty()) {
    FILE* out = std::fopen(options.Json.c_str(), "w");
    if (!out) {
      std::fprintf(stderr, "cannot write %s: %s\n", options.Json.c_str(), std::strerror(errno));
      return 1;
    }
    std::fprintf(out, "{\"startup_ms\": %.1f, \"from_ms\": %d, \"to_ms\": %d, \"step_ms\": %d, "
                 "\"frames\": %d, \"total_ms\": %.1f,\n \"scenes\": [",
                 startupMs, options.From, options.To, LiveStep, static_cast<int>(frames.size()),
                 totalMs);
    for (size_t i = 0; i < scenes.size(); ++i) {
      const TSceneStats& s = scenes[i];
      std::fprintf(out, "%s\n  {\"slot\": %d, \"name\": \"%s\", \"frames\": %d, \"median_ms\": %.2f, "
                   "\"p95_ms\": %.2f, \"worst_ms\": %.2f, \"worst_at_ms\": %d, "
                   "\"slowest_second_ms\": %.2f, \"slowest_second_at_ms\": %d, \"total_ms\": %.1f",
                   i ? "," : "", s.Slot, SceneName(s.Slot), s.Frames, s.MedianMs, s.P95Ms,
                   s.WorstMs, s.WorstAt, s.SlowestSecondMs, s.SlowestSecondAt, s.TotalMs);
      if (options.Steps) {
        std::fprintf(out, ", \"steps_ms\": {");
        for (int k = 0; k < FrameStepCount; ++k)
          std::fprintf(out, "%s\"%s\": %.2f", k ? ", " : "", FrameStepNames[k],
                       stepMs[s.Slot][k] / s.Frames);
        std::fprintf(out, "}");
      }
      std::fprintf(out, "}");
    }
    std::fprintf(out, "],\n \"cuts\": [");
    for (size_t i = 0; i < cuts.size(); ++i) {
      const TCutStats& c = cuts[i];
      std::fprintf(out, "%s\n  {\"time_ms\": %d, \"scene\": \"%s\", \"worst_ms\": %.2f, "
                   "\"worst_at_ms\": %d, \"median_ms\": %.2f}",
                   i ? "," : "", c.Time, SceneName(c.Slot), c.WorstMs, c.WorstAt, c.MedianMs);
    }
    std::fprintf(out, "]}\n");
    std::fclose(out);
  }
  return 0;
}
