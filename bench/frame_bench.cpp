// Plays the demo headless at the live pace, a frame every 20 ms of music with
// glFinish after each, over the whole timeline or a range of it, and reports
// the wall time of drawing per scene: median, 95th percentile, worst frame and
// the slowest second of music. Options:
//   --from MS --to MS   the range (default the whole timeline)
//   --steps             also the time of each step of the frame (with glFinish
//                       between steps, which makes whole frames slower)
//   --cuts              the cut report: the longest frame in the 200 ms after
//                       each cut against the median of the second after that
//   --json FILE         the same figures for tools, written whole or not at
//                       all (engine/savefile.h)
//   --size WxH          the frame drawn as for an output of that size, the
//                       picture fitted to it as the capture and the window
//                       do (default 640x480)
//   --msaa N            the frame drawn with N samples (2, 4 or 8)
//   --reference         the layered effects drawn layer by layer, as designed
// Usage: mvrk_bench CONTENT_DIR [options]
#include "bench/benchstats.h"
#include "engine/framebuffer.h"
#include "engine/numbers.h"
#include "engine/savefile.h"
#include "engine/shaders.h"
#include "host/headlessdemo.h"
#include "host/options.h"
#include "host/timeline.h"
#include "scenes/intervals.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
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
    "Plays the timeline (or from..to, ms of music, by default 0 and 223999)\n"
    "headless at the live pace and reports the frame times per scene; --steps\n"
    "times each step of the frame, --cuts the frames after each cut, --json\n"
    "writes the figures to FILE whole or not at all, --size draws the\n"
    "frame for a WxH output (the picture fitted to it: 16:9 edge to edge, a 4:3\n"
    "size the whole 640x480 frame), --msaa with N samples,\n"
    "--reference draws the layered effects layer by layer, as designed.\n";

enum class TBenchCommand {
  Run,   // the options are read into TOptions
  Help,  // --help or -h: the usage on standard output, status 0
  Bad,   // the reason is in error: it and the usage on standard error, status 2
};

bool ParseTime(const std::string& flag, const char* text, int32_t& value, std::string& error)
{
  if (ParseWholeNumber(text, LastFrameTime, value))
    return true;
  error = flag + " takes a music time from 0 to " + std::to_string(LastFrameTime) + " ms";
  return false;
}

// Reads the command line without acting on it, in order: the first --help
// or fault decides.
TBenchCommand ParseOptions(int argc, const char* const* argv, TOptions& options, std::string& error)
{
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h")
      return TBenchCommand::Help;
    bool ok = true;
    if (arg == "--steps")
      options.Steps = true;
    else if (arg == "--cuts")
      options.Cuts = true;
    else if (arg == "--reference")
      options.Reference = true;
    else if ((arg == "--from" || arg == "--to" || arg == "--json" || arg == "--size" ||
              arg == "--msaa") && i + 1 < argc) {
      const char* value = argv[++i];
      if (arg == "--msaa")
        ok = ParseSampleCount(value, options.Samples, error);
      else if (arg == "--size")
        ok = ParseOutputSize(arg, value, options.Width, options.Height, error);
      else if (arg == "--from")
        ok = ParseTime(arg, value, options.From, error);
      else if (arg == "--to")
        ok = ParseTime(arg, value, options.To, error);
      else
        options.Json = value;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option or missing value: " + arg;
      ok = false;
    } else if (options.Content.empty())
      options.Content = arg;
    else {
      error = "one content directory only";
      ok = false;
    }
    if (!ok)
      return TBenchCommand::Bad;
  }
  if (options.Content.empty())
    error = "no content directory";
  else if (options.From > options.To)
    error = "--from is after --to";
  return error.empty() ? TBenchCommand::Run : TBenchCommand::Bad;
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

// What one run measured: every frame, the step times summed per scene, the
// start-up and the whole drawing in ms.
struct TBenchRun {
  double StartupMs = 0;
  std::vector<TFrameTime> Frames;
  std::vector<std::vector<double>> StepMs;  // [scene][step]
  double TotalMs = 0;
};

// The demo's start-up for the output the options name, timed; false with the
// reason.
bool StartUp(const TOptions& options, TBenchRun& run, std::string& error)
{
  const auto started = std::chrono::steady_clock::now();
  UseReferencePath(options.Reference);
  const TFrameSize fit = FrameForOutput(options.Width, options.Height);
  if (!StartHeadlessDemo(options.Content, fit.Width, fit.Height, options.Samples, [] {},
                         error))
    return false;
  glFinish();
  run.StartupMs = Since(started);
  return true;
}

// Every frame from..to at the live pace, each timed to its glFinish.
void PlayFrames(const TOptions& options, TBenchRun& run)
{
  run.StepMs.assign(SceneCount, std::vector<double>(FrameStepCount));
  for (int32_t t = options.From; t <= options.To; t += LiveStep) {
    const int scene = SceneAt(t);
    const auto started = std::chrono::steady_clock::now();
    StepTimes = TStepTimes();
    StepTimes.Enabled = options.Steps;
    RenderHeadlessFrame(t, LiveStep);
    MarkFrameStep(TFrameStep::Count);
    glFinish();
    const double ms = Since(started);
    run.Frames.push_back({t, scene, ms});
    run.TotalMs += ms;
    if (scene >= 0)
      for (int k = 0; k < FrameStepCount; ++k)
        run.StepMs[scene][k] += StepTimes.Ms[k];
  }
}

void PrintScenes(const TOptions& options, const TBenchRun& run, const std::vector<TSceneStats>& scenes)
{
  std::printf("%d frames from %d to %d ms at %d ms steps: %.1f s of drawing for %.1f s of music\n",
              static_cast<int>(run.Frames.size()), options.From, options.To, LiveStep,
              run.TotalMs / 1000, run.Frames.size() * LiveStep / 1000.0);
  std::printf("%-8s %6s %9s %9s %9s %9s %14s %9s\n", "scene", "frames", "median", "p95", "worst",
              "worst at", "slowest second", "at");
  for (const TSceneStats& s : scenes)
    std::printf("%-8s %6d %9.1f %9.1f %9.1f %9d %14.1f %9d\n", SceneName(s.Slot), s.Frames,
                s.MedianMs, s.P95Ms, s.WorstMs, s.WorstAt, s.SlowestSecondMs, s.SlowestSecondAt);
}

void PrintSteps(const TBenchRun& run, const std::vector<TSceneStats>& scenes)
{
  std::printf("\nmean ms per frame and step (glFinish between steps)\n%-8s", "scene");
  for (const char* name : FrameStepNames)
    std::printf(" %8s", name);
  std::printf("\n");
  for (const TSceneStats& s : scenes) {
    std::printf("%-8s", SceneName(s.Slot));
    for (int k = 0; k < FrameStepCount; ++k)
      std::printf(" %8.1f", run.StepMs[s.Slot][k] / s.Frames);
    std::printf("\n");
  }
}

void PrintCuts(const std::vector<TCutStats>& cuts)
{
  std::printf("\n%-8s %9s %9s %9s %9s %7s\n", "cut to", "at", "worst", "worst at", "median",
              "ratio");
  for (const TCutStats& c : cuts)
    std::printf("%-8s %9d %9.1f %9d %9.1f %7.2f\n", SceneName(c.Slot), c.Time, c.WorstMs,
                c.WorstAt, c.MedianMs, c.MedianMs > 0 ? c.WorstMs / c.MedianMs : 0.0);
}

// printf to the end of text.
void Append(std::string& text, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    const size_t at = text.size();
    text.resize(at + static_cast<size_t>(length) + 1);
    std::vsnprintf(&text[at], static_cast<size_t>(length) + 1, format, again);
    text.resize(at + static_cast<size_t>(length));
  }
  va_end(again);
}

// The figures as JSON, for tools.
std::string JsonReport(const TOptions& options, const TBenchRun& run,
                       const std::vector<TSceneStats>& scenes, const std::vector<TCutStats>& cuts)
{
  std::string out;
  Append(out, "{\"startup_ms\": %.1f, \"from_ms\": %d, \"to_ms\": %d, \"step_ms\": %d, "
         "\"frames\": %d, \"total_ms\": %.1f,\n \"scenes\": [",
         run.StartupMs, options.From, options.To, LiveStep, static_cast<int>(run.Frames.size()),
         run.TotalMs);
  for (size_t i = 0; i < scenes.size(); ++i) {
    const TSceneStats& s = scenes[i];
    Append(out, "%s\n  {\"slot\": %d, \"name\": \"%s\", \"frames\": %d, \"median_ms\": %.2f, "
           "\"p95_ms\": %.2f, \"worst_ms\": %.2f, \"worst_at_ms\": %d, "
           "\"slowest_second_ms\": %.2f, \"slowest_second_at_ms\": %d, \"total_ms\": %.1f",
           i ? "," : "", s.Slot, SceneName(s.Slot), s.Frames, s.MedianMs, s.P95Ms, s.WorstMs,
           s.WorstAt, s.SlowestSecondMs, s.SlowestSecondAt, s.TotalMs);
    if (options.Steps) {
      Append(out, ", \"steps_ms\": {");
      for (int k = 0; k < FrameStepCount; ++k)
        Append(out, "%s\"%s\": %.2f", k ? ", " : "", FrameStepNames[k],
               run.StepMs[s.Slot][k] / s.Frames);
      Append(out, "}");
    }
    Append(out, "}");
  }
  Append(out, "],\n \"cuts\": [");
  for (size_t i = 0; i < cuts.size(); ++i) {
    const TCutStats& c = cuts[i];
    Append(out, "%s\n  {\"time_ms\": %d, \"scene\": \"%s\", \"worst_ms\": %.2f, "
           "\"worst_at_ms\": %d, \"median_ms\": %.2f}",
           i ? "," : "", c.Time, SceneName(c.Slot), c.WorstMs, c.WorstAt, c.MedianMs);
  }
  Append(out, "]}\n");
  return out;
}

}  // namespace

int main(int argc, char** argv)
{
  TOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case TBenchCommand::Help:
      std::fputs(Usage, stdout);
      return 0;
    case TBenchCommand::Bad:
      std::fprintf(stderr, "mvrk_bench: %s\n%s", error.c_str(), Usage);
      return 2;
    case TBenchCommand::Run:
      break;
  }
  TBenchRun run;
  if (!StartUp(options, run, error)) {
    std::fprintf(stderr, "mvrk_bench: %s\n", error.c_str());
    return 1;
  }
  std::printf("output %dx%d, frame %dx%d, %d sample%s, %s path\n", options.Width, options.Height,
              FrameWidth, FrameHeight, FrameSampleCount(),
              FrameSampleCount() == 1 ? "" : "s", ReferencePathInUse() ? "reference" : "fast");
  std::printf("start-up (InitDemo): %.3f s\n", run.StartupMs / 1000);

  PlayFrames(options, run);
  const std::vector<TSceneStats> scenes = SceneStats(run.Frames, LiveStep);
  PrintScenes(options, run, scenes);
  if (options.Steps)
    PrintSteps(run, scenes);
  std::vector<TCutStats> cuts;
  if (options.Cuts) {
    std::vector<int32_t> starts;
    for (const TSceneInterval& scene : SceneIntervals)
      starts.push_back(scene.StartTime);
    cuts = CutStats(run.Frames, starts);
    PrintCuts(cuts);
  }
  if (!options.Json.empty()) {
    const std::string json = JsonReport(options, run, scenes, cuts);
    if (!ReplaceFileBytes(options.Json, json.data(), json.size(), error)) {
      std::fprintf(stderr, "mvrk_bench: cannot write %s: %s\n", options.Json.c_str(), error.c_str());
      return 1;
    }
  }
  return 0;
}
