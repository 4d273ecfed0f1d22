// Renders the demo headless, with no window and no audio device, at music
// times --step ms apart or --fps frames a second. Frames go to PNG files, a
// video (through ffmpeg, with the soundtrack) or a contact sheet, each file
// written whole or not at all. SIGINT and SIGTERM stop it between frames
// with everything written so far closed properly. Every failure after the
// command line has been read returns through main (Capture), so the video's
// encoder is stopped and its unfinished file removed on the way out.
#include "frames.h"
#include "png.h"
#include "sheet.h"

#include "engine/framebuffer.h"
#include "engine/numbers.h"
#include "engine/paths.h"
#include "engine/shaders.h"
#include "host/headlessdemo.h"
#include "host/options.h"
#include "host/timeline.h"
#include "scenes/intervals.h"

#include "video.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct TOptions {
  std::string Data = ".";
  int32_t From = 0;
  int32_t To = LastFrameTime;
  int32_t Step = 20;
  int Fps = 0;  // 0: frames --step ms apart
  int32_t Width = BaseFrameWidth;  // of the video and the PNG frames
  int32_t Height = BaseFrameHeight;
  int32_t Samples = 1;  // --msaa
  bool Reference = false;  // --reference
  std::string Frames;
  std::string Video;
  std::string Startup;
  std::string Sheet;
};

const char* const Usage =
    "usage: mvrk_capture [--data DIR] [--from MS] [--to MS] [--step MS | --fps N]\n"
    "                    [--size WxH] [--msaa N] [--frames DIR] [--video FILE]\n"
    "                    [--startup FILE] [--sheet FILE] [--reference]\n"
    "       mvrk_capture --list-scenes\n"
    "Renders the demo headless at music times from, from + step, ... up to to\n"
    "(at most 223999), or with --fps N frame k at round(from + k * 1000 / N) ms\n"
    "and a video of N frames a second. --size WxH (from 320x180 to what the\n"
    "driver holds) fits the picture to that size: 16:9 edge to edge, pillars\n"
    "when wider; a 4:3 size gives the whole 640x480 frame, bars included;\n"
    "--msaa N draws it with N samples (2, 4 or 8, as the driver offers).\n"
    "--reference draws the layered effects layer by layer, as designed, instead\n"
    "of in one pass each (compare the two with mvrk_compare).\n"
    "--video FILE is written as FILE with .part before its ending (clip.part.mp4)\n"
    "and renamed to FILE when whole, so an older FILE stays until then and a\n"
    "failed capture keeps it; a capture killed outright leaves the .part file,\n"
    "which plays up to its last half second or so (MP4 is written fragmented).\n"
    "Ctrl-C or SIGTERM stops after the current frame, closes the video with its\n"
    "sound cut to the frames, renames it and ends with status 130 or 143.\n"
    "--list-scenes prints each scene's name, start and end (ms) as the demo\n"
    "shows them, the last ending at the last frame time.\n";

// A failure of the work: the message, then status 1 for main to return.
int Failed(const std::string& message)
{
  std::fflush(stdout);
  std::fprintf(stderr, "mvrk_capture: %s\n", message.c_str());
  return 1;
}

// A command line that cannot be read: the reason and the usage, status 2.
[[noreturn]] void FailUsage(const std::string& message)
{
  std::fprintf(stderr, "mvrk_capture: %s\n%s", message.c_str(), Usage);
  std::exit(2);
}

// Makes the folder and its parents; an empty name needs none. False with
// the message otherwise.
bool MakeFolder(const std::string& folder, std::string& message)
{
  std::error_code error;
  if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
    message = folder + ": cannot create the folder: " + error.message();
    return false;
  }
  return true;
}

bool ParseTime(const char* text, int32_t& value)
{
  return ParseWholeNumber(text, 100000000, value);
}

// One line a scene, "NAME START END" in ms of music: the part of its interval
// the demo shows, the last one ending at the last frame time.
void ListScenes()
{
  for (const TSceneInterval& scene : SceneIntervals)
    std::printf("%s %d %d\n", scene.Name, scene.StartTime, std::min(scene.EndTime, LastFrameTime));
}

TOptions ParseOptions(int argc, char** argv)
{
  TOptions options;
  bool stepGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      std::fputs(Usage, stdout);
      std::exit(0);
    }
    if (flag == "--list-scenes") {
      ListScenes();
      std::exit(0);
    }
    if (flag == "--reference") {
      options.Reference = true;
      continue;
    }
    static const char* const Known[] = {"--data", "--frames", "--video", "--startup", "--sheet",
                                        "--from", "--to",     "--step",  "--fps",     "--size", "--msaa"};
    if (std::find(std::begin(Known), std::end(Known), flag) == std::end(Known))
      FailUsage("unknown option " + flag);
    if (i + 1 >= argc)
      FailUsage(flag + " needs a value");
    const char* value = argv[++i];
    int32_t* time = nullptr;
    std::string valueError;
    if (flag == "--data")
      options.Data = value;
    else if (flag == "--frames")
      options.Frames = value;
    else if (flag == "--video")
      options.Video = value;
    else if (flag == "--startup")
      options.Startup = value;
    else if (flag == "--sheet")
      options.Sheet = value;
    else if (flag == "--from")
      time = &options.From;
    else if (flag == "--to")
      time = &options.To;
    else if (flag == "--step") {
      time = &options.Step;
      stepGiven = true;
    }
    else if (flag == "--fps" && (!ParseWholeNumber(value, 1000, options.Fps) || options.Fps < 1))
      FailUsage(std::string("--fps takes a whole number of frames a second from 1 to 1000, not \"") +
                value + "\"");
    else if (flag == "--size" && !ParseOutputSize(flag, value, options.Width, options.Height, valueError))
      FailUsage(valueError);
    else if (flag == "--msaa" && !ParseSampleCount(value, options.Samples, valueError))
      FailUsage(valueError);
    if (time && !ParseTime(value, *time))
      FailUsage(flag + " takes a whole number of milliseconds, not \"" + value + "\"");
  }
  if (options.Step < 1)
    FailUsage("--step must be at least 1 ms");
  if (stepGiven && options.Fps > 0)
    FailUsage("give --step or --fps, not both");
  if (!options.Video.empty() && (options.Width % 2 || options.Height % 2))
    FailUsage("the video needs an even --size, not " + std::to_string(options.Width) + "x" +
              std::to_string(options.Height));
  if (options.To > LastFrameTime)
    options.To = LastFrameTime;
  if (options.From > options.To)
    FailUsage("--from " + std::to_string(options.From) + " is after --to " + std::to_string(options.To));
  return options;
}

// False with the message naming the file when it cannot be written.
bool SavePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height,
             std::string& message)
{
  std::string error;
  if (WritePng(path, width, height, rgb, error))
    return true;
  message = path + ": " + error;
  return false;
}

// The frame as the --size asked for: drawn at its fit, black bars around.
std::vector<uint8_t> OutputFrame(const TOptions& options, const std::vector<uint8_t>& rgb)
{
  return PadFrame(rgb, FrameToFit(options.Width, options.Height), options.Width, options.Height);
}

bool SaveFrame(const TOptions& options, const std::string& path, const std::vector<uint8_t>& rgb,
               std::string& message)
{
  return SavePng(path, OutputFrame(options, rgb), options.Width, options.Height, message);
}

// The signal that asked the capture to stop (SIGINT or SIGTERM), 0 while none
// has. The capture then takes no new frame, closes what it writes and ends
// with 128 + the signal; a second signal ends it at once (SA_RESETHAND).
volatile sig_atomic_t StopSignal = 0;

void OnStopSignal(int signal)
{
  StopSignal = signal;
}

void CatchStopSignals()
{
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  // A video whose ffmpeg has ended fails its next write instead of killing us.
  ::signal(SIGPIPE, SIG_IGN);
}

const char* SignalName(int signal)
{
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}

// Stopped during the start-up: nothing rendered, nothing to close.
int StopBeforeFrames(int signal)
{
  std::fprintf(stderr, "mvrk_capture: stopped by %s before the first frame\n", SignalName(signal));
  return 128 + signal;
}

// "1:05" or "12:34:56" for a number of seconds.
std::string FormatDuration(double seconds)
{
  const long total = seconds > 0 ? static_cast<long>(seconds + 0.5) : 0;
  char text[32];
  if (total >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

// The whole capture; its status for main.
int Capture(const TOptions& options)
{
  // The content directory comes first: the soundtrack and ffmpeg are checked
  // before the long start-up.
  std::string error;
  if (!UseContentDirectory(options.Data, error))
    return Failed(error);
  std::string soundtrack;
  std::string ffmpeg;
  if (!options.Video.empty()) {
    ffmpeg = FindFfmpeg(error);
    if (ffmpeg.empty())
      return Failed(error);
    soundtrack = ResolvePath("data\\soundtrack.ogg");
    if (::access(soundtrack.c_str(), R_OK) != 0)
      return Failed(soundtrack + ": " + std::strerror(errno) + " (the video needs the soundtrack)");
  }
  if (!MakeFolder(options.Frames, error))
    return Failed(error);
  for (const std::string* file : {&options.Video, &options.Startup, &options.Sheet})
    if (!file->empty() && !MakeFolder(std::filesystem::path(*file).parent_path(), error))
      return Failed(error);
  if (!options.Frames.empty() && ::access(options.Frames.c_str(), W_OK) != 0)
    return Failed(options.Frames + ": " + std::strerror(errno));

  CatchStopSignals();
  const auto started = std::chrono::steady_clock::now();
  std::vector<uint8_t> frame;
  const TFrameFit fit = FrameToFit(options.Width, options.Height);
  UseReferencePath(options.Reference);
  // A start-up screen that cannot be written is said once the start-up
  // returns.
  std::string startupError;
  const bool startedUp = StartHeadlessDemo(options.Data, fit.FrameWidth, fit.FrameHeight, options.Samples, [&] {
    if (options.Startup.empty())
      return;
    ReadFramePixels(frame);
    SaveFrame(options, options.Startup, frame, startupError);
  }, error);
  if (!startedUp)
    return Failed(error);
  if (!startupError.empty())
    return Failed(startupError);
  const double startup =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "start-up took %.2f s\n", startup);

  const std::vector<int32_t> times =
      CaptureTimes(options.From, options.To, options.Step, options.Fps);
  const int64_t total = static_cast<int64_t>(times.size());
  if (StopSignal)
    return StopBeforeFrames(StopSignal);
  TVideoEncoder video;
  if (!options.Video.empty()) {
    const TVideoSettings settings = {ffmpeg, options.Video, soundtrack, options.Width, options.Height,
                                     CaptureRate(options.Step, options.Fps), options.From, total};
    if (!video.Start(settings, error))
      return Failed(options.Video + ": " + error);
  }
  TContactSheet sheet(options.Width, options.Height, 4, 6);
  int64_t done = 0;
  const auto framesStarted = std::chrono::steady_clock::now();
  auto lastReport = framesStarted;
  auto report = [&](int32_t time) {
    const auto now = std::chrono::steady_clock::now();
    lastReport = now;
    const double elapsed = std::chrono::duration<double>(now - framesStarted).count();
    const double rate = elapsed > 0 ? done / elapsed : 0;
    std::fprintf(stderr, "frame %lld of %lld (music %d ms), %.1f frames/s, %s left\n",
                 static_cast<long long>(done), static_cast<long long>(total), time, rate,
                 rate > 0 ? FormatDuration((total - done) / rate).c_str() : "?");
  };
  for (size_t k = 0; k < times.size() && !StopSignal; ++k) {
    const int32_t time = times[k];
    // The music up to the next frame; the last frame takes its predecessor's.
    const int32_t step = k + 1 < times.size() ? times[k + 1] - time
                         : k > 0              ? time - times[k - 1]
                                              : options.Step;
    RenderHeadlessFrame(time, step);
    ReadFramePixels(frame);
    const std::vector<uint8_t> output = OutputFrame(options, frame);
    if (!options.Frames.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "/%06d.png", time);
      if (!SavePng(options.Frames + name, output, options.Width, options.Height, error))
        return Failed(error);
    }
    if (!options.Video.empty() && !video.Write(output)) {
      video.Finish(error);
      return Failed(error);
    }
    if (!options.Sheet.empty())
      sheet.Add(output, time);
    ++done;
    if (std::chrono::steady_clock::now() - lastReport > std::chrono::seconds(5) || done == total)
      report(time);
  }
  if (!options.Video.empty() && !video.Finish(error))
    return Failed(error);
  if (!options.Sheet.empty() && done > 0 &&
      !SavePng(options.Sheet, sheet.Pixels(), sheet.Width(), sheet.Height(), error))
    return Failed(error);
  if (StopSignal) {
    report(done > 0 ? times[done - 1] : options.From);
    std::fprintf(stderr,
                 "mvrk_capture: stopped by %s: wrote %lld of %lld frames, music %d to %d ms%s\n",
                 SignalName(StopSignal), static_cast<long long>(done),
                 static_cast<long long>(total), options.From,
                 done > 0 ? times[done - 1] : options.From,
                 options.Video.empty() ? "" : ("; " + options.Video + " is closed and plays").c_str());
    return 128 + StopSignal;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  const TOptions options = ParseOptions(argc, argv);
  if (options.Frames.empty() && options.Video.empty() && options.Startup.empty() && options.Sheet.empty())
    FailUsage("nothing to write: give --frames, --video, --startup or --sheet");
  return Capture(options);
}
