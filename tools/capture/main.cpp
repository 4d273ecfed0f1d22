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

#include "stopsignals.h"
#include "video.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
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
    "and a video of N frames a second. --from and --to are ms of music, by\n"
    "default 0 and 223999; --step is 20 by default. --data DIR names the\n"
    "content directory, by default the working directory. Give at least one\n"
    "of --frames, --video, --startup and --sheet.\n"
    "--size WxH (from 320x180 to what the driver holds) fits the picture to\n"
    "that size: 16:9 edge to edge, pillars when wider; a 4:3 size gives the\n"
    "whole 640x480 frame, bars included;\n"
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

enum class TCaptureCommand {
  Run,         // the options are read into TOptions
  Help,        // --help or -h: the usage on standard output, status 0
  ListScenes,  // --list-scenes: the scenes on standard output, status 0
  Bad,         // the reason is in error: it and the usage on standard error, status 2
};

// Reads the command line without acting on it, in order: the first --help,
// --list-scenes or fault decides.
TCaptureCommand ParseOptions(int argc, const char* const* argv, TOptions& options, std::string& error)
{
  bool stepGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h")
      return TCaptureCommand::Help;
    if (flag == "--list-scenes")
      return TCaptureCommand::ListScenes;
    if (flag == "--reference") {
      options.Reference = true;
      continue;
    }
    static const char* const Known[] = {"--data", "--frames", "--video", "--startup", "--sheet",
                                        "--from", "--to",     "--step",  "--fps",     "--size", "--msaa"};
    if (std::find(std::begin(Known), std::end(Known), flag) == std::end(Known)) {
      error = "unknown option " + flag;
      return TCaptureCommand::Bad;
    }
    if (i + 1 >= argc) {
      error = flag + " needs a value";
      return TCaptureCommand::Bad;
    }
    const char* value = argv[++i];
    int32_t* time = nullptr;
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
    } else if (flag == "--fps" && (!ParseWholeNumber(value, 1000, options.Fps) || options.Fps < 1)) {
      error = std::string("--fps takes a whole number of frames a second from 1 to 1000, not \"") +
              value + "\"";
      return TCaptureCommand::Bad;
    } else if (flag == "--size" && !ParseOutputSize(flag, value, options.Width, options.Height, error))
      return TCaptureCommand::Bad;
    else if (flag == "--msaa" && !ParseSampleCount(value, options.Samples, error))
      return TCaptureCommand::Bad;
    if (time && !ParseTime(value, *time)) {
      error = flag + " takes a whole number of milliseconds, not \"" + value + "\"";
      return TCaptureCommand::Bad;
    }
  }
  if (options.Step < 1)
    error = "--step must be at least 1 ms";
  else if (stepGiven && options.Fps > 0)
    error = "give --step or --fps, not both";
  else if (!options.Video.empty() && (options.Width % 2 || options.Height % 2))
    error = "the video needs an even --size, not " + std::to_string(options.Width) + "x" +
            std::to_string(options.Height);
  options.To = std::min(options.To, LastFrameTime);
  if (error.empty() && options.From > options.To)
    error = "--from " + std::to_string(options.From) + " is after --to " + std::to_string(options.To);
  if (error.empty() && options.Frames.empty() && options.Video.empty() && options.Startup.empty() &&
      options.Sheet.empty())
    error = "nothing to write: give --frames, --video, --startup or --sheet";
  return error.empty() ? TCaptureCommand::Run : TCaptureCommand::Bad;
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

// What the capture writes, each part where it was asked for: PNG frames, the
// video, the contact sheet. Every frame is padded to the output size at one
// fit, computed once (StartOutputs), and added to each part (AddFrame);
// FinishOutputs closes the video and writes the sheet.
struct TCaptureOutputs {
  int32_t Width = 0;  // the output size
  int32_t Height = 0;
  TFrameSize Frame = {};        // the frame drawn for the output
  TFramePlacement Place = {};  // the frame's place in the output
  std::string Frames;  // the PNG folder, "" for none
  std::string Video;   // the video's name, "" for none
  std::string Sheet;   // the contact sheet's name, "" for none
  TVideoEncoder Encoder;
  std::unique_ptr<TContactSheet> Contact;
  int64_t Added = 0;  // frames added so far
};

// The outputs' sizes and names from the options, nothing opened yet.
void SetUpOutputs(const TOptions& options, TCaptureOutputs& outputs)
{
  outputs.Width = options.Width;
  outputs.Height = options.Height;
  outputs.Frame = FrameForOutput(options.Width, options.Height);
  outputs.Place = PlaceFrame(outputs.Frame, options.Width, options.Height);
  outputs.Frames = options.Frames;
  outputs.Video = options.Video;
  outputs.Sheet = options.Sheet;
  if (!options.Sheet.empty())
    outputs.Contact = std::make_unique<TContactSheet>(options.Width, options.Height, 4, 6);
}

// The frame as the --size asked for: drawn at its fit, black bars around.
std::vector<uint8_t> OutputFrame(const TCaptureOutputs& outputs, const std::vector<uint8_t>& rgb)
{
  return PadFrame(rgb, outputs.Place, outputs.Width, outputs.Height);
}

// Starts the video's encoder where a video was asked for; false with the
// message when it cannot.
bool StartVideo(TCaptureOutputs& outputs, const TVideoSettings& settings, std::string& error)
{
  if (outputs.Video.empty() || outputs.Encoder.Start(settings, error))
    return true;
  error = outputs.Video + ": " + error;
  return false;
}

// One frame of the demo (the frame's pixels, top row first) at music time
// time, to every output; false with the message at the first that fails.
bool AddFrame(TCaptureOutputs& outputs, const std::vector<uint8_t>& frame, int32_t time,
              std::string& error)
{
  const std::vector<uint8_t> output = OutputFrame(outputs, frame);
  if (!outputs.Frames.empty()) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.png", time);
    if (!SavePng(outputs.Frames + name, output, outputs.Width, outputs.Height, error))
      return false;
  }
  if (!outputs.Video.empty() && !outputs.Encoder.Write(output)) {
    outputs.Encoder.Finish(error);
    return false;
  }
  if (outputs.Contact)
    outputs.Contact->Add(output, time);
  ++outputs.Added;
  return true;
}

// Closes the video and writes the contact sheet (when a frame was added);
// false with the message at the first that fails.
bool FinishOutputs(TCaptureOutputs& outputs, std::string& error)
{
  if (!outputs.Video.empty() && !outputs.Encoder.Finish(error))
    return false;
  return !outputs.Contact || outputs.Added == 0 ||
         SavePng(outputs.Sheet, outputs.Contact->Pixels(), outputs.Contact->Width(),
                 outputs.Contact->Height(), error);
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

// The progress line: done of total frames, the last at music time time, after
// elapsed seconds of frames; the rate and what is left at that rate.
void ReportProgress(int64_t done, int64_t total, int32_t time, double elapsed)
{
  const double rate = elapsed > 0 ? done / elapsed : 0;
  std::fprintf(stderr, "frame %lld of %lld (music %d ms), %.1f frames/s, %s left\n",
               static_cast<long long>(done), static_cast<long long>(total), time, rate,
               rate > 0 ? FormatDuration((total - done) / rate).c_str() : "?");
}

// The report of a capture stopped by signal during the start-up: nothing
// rendered, nothing to close. Its status for main, 128 + the signal.
int ReportStopBeforeFrames(int signal)
{
  std::fprintf(stderr, "mvrk_capture: stopped by %s before the first frame\n", SignalName(signal));
  return 128 + signal;
}

// The report of a capture stopped by signal after done of total frames, from
// music time from to last, its outputs closed; its status for main, 128 + the
// signal.
int ReportStop(int signal, int64_t done, int64_t total, int32_t from, int32_t last,
               const std::string& video)
{
  std::fprintf(stderr,
               "mvrk_capture: stopped by %s: wrote %lld of %lld frames, music %d to %d ms%s\n",
               SignalName(signal), static_cast<long long>(done), static_cast<long long>(total),
               from, last, video.empty() ? "" : ("; " + video + " is closed and plays").c_str());
  return 128 + signal;
}

// Seconds since start.
double SecondsSince(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The checks before the long start-up: the content directory, ffmpeg and the
// soundtrack for a video (their names to the settings), the output folders.
bool CheckBeforeStartUp(const TOptions& options, TVideoSettings& video, std::string& error)
{
  if (!UseContentDirectory(options.Data, error))
    return false;
  if (!options.Video.empty()) {
    video.Program = FindFfmpeg(error);
    if (video.Program.empty())
      return false;
    video.Soundtrack = ResolvePath("data\\soundtrack.ogg");
    if (::access(video.Soundtrack.c_str(), R_OK) != 0) {
      error = video.Soundtrack + ": " + std::strerror(errno) + " (the video needs the soundtrack)";
      return false;
    }
  }
  if (!MakeFolder(options.Frames, error))
    return false;
  for (const std::string* file : {&options.Video, &options.Startup, &options.Sheet})
    if (!file->empty() && !MakeFolder(std::filesystem::path(*file).parent_path(), error))
      return false;
  if (!options.Frames.empty() && ::access(options.Frames.c_str(), W_OK) != 0) {
    error = options.Frames + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

// The demo's start-up at the outputs' frame size, the start-up screen saved
// where --startup asks; false with the message.
bool StartUp(const TOptions& options, const TCaptureOutputs& outputs, std::string& error)
{
  UseReferencePath(options.Reference);
  // A start-up screen that cannot be written is said once the start-up
  // returns.
  std::string startupError;
  std::vector<uint8_t> frame;
  const bool started = StartHeadlessDemo(
      options.Data, outputs.Frame.Width, outputs.Frame.Height, options.Samples,
      [&] {
        if (options.Startup.empty())
          return;
        ReadFramePixels(frame);
        SavePng(options.Startup, OutputFrame(outputs, frame), outputs.Width, outputs.Height,
                startupError);
      },
      error);
  if (started && !startupError.empty())
    error = startupError;
  return started && startupError.empty();
}

// The whole capture; its status for main.
int Capture(const TOptions& options)
{
  std::string error;
  const std::vector<int32_t> times = CaptureTimes(options.From, options.To, options.Step, options.Fps);
  const int64_t total = static_cast<int64_t>(times.size());
  TVideoSettings video = {"", options.Video, "", options.Width, options.Height,
                          CaptureRate(options.Step, options.Fps), options.From, total};
  if (!CheckBeforeStartUp(options, video, error))
    return Failed(error);
  TCaptureOutputs outputs;
  SetUpOutputs(options, outputs);

  CatchStopSignals();
  const auto started = std::chrono::steady_clock::now();
  if (!StartUp(options, outputs, error))
    return Failed(error);
  std::fprintf(stderr, "start-up took %.2f s\n", SecondsSince(started));
  if (StopSignal())
    return ReportStopBeforeFrames(StopSignal());
  if (!StartVideo(outputs, video, error))
    return Failed(error);

  std::vector<uint8_t> frame;
  const auto framesStarted = std::chrono::steady_clock::now();
  auto lastReport = framesStarted;
  for (size_t k = 0; k < times.size() && !StopSignal(); ++k) {
    const int32_t time = times[k];
    // The music up to the next frame; the last frame takes its predecessor's.
    const int32_t step = k + 1 < times.size() ? times[k + 1] - time
                         : k > 0              ? time - times[k - 1]
                                              : options.Step;
    RenderHeadlessFrame(time, step);
    ReadFramePixels(frame);
    if (!AddFrame(outputs, frame, time, error))
      return Failed(error);
    if (std::chrono::steady_clock::now() - lastReport > std::chrono::seconds(5) ||
        outputs.Added == total) {
      lastReport = std::chrono::steady_clock::now();
      ReportProgress(outputs.Added, total, time, SecondsSince(framesStarted));
    }
  }
  if (!FinishOutputs(outputs, error))
    return Failed(error);
  if (!StopSignal())
    return 0;
  const int32_t last = outputs.Added > 0 ? times[outputs.Added - 1] : options.From;
  ReportProgress(outputs.Added, total, last, SecondsSince(framesStarted));
  return ReportStop(StopSignal(), outputs.Added, total, options.From, last, options.Video);
}

}  // namespace

int main(int argc, char** argv)
{
  TOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case TCaptureCommand::Help:
      std::fputs(Usage, stdout);
      return 0;
    case TCaptureCommand::ListScenes:
      ListScenes();
      return 0;
    case TCaptureCommand::Bad:
      std::fprintf(stderr, "mvrk_capture: %s\n%s", error.c_str(), Usage);
      return 2;
    case TCaptureCommand::Run:
      break;
  }
  return Capture(options);
}
