#include "host/options.h"

#include "engine/framebuffer.h"
#include "engine/numbers.h"
#include "host/controls.h"
#include "scenes/intervals.h"

#include <cstring>
#include <iterator>

bool ParseOutputSize(const std::string& flag, const char* text, int32_t& width, int32_t& height,
                     std::string& error)
{
  const char* x = std::strchr(text, 'x');
  int32_t w = 0;
  int32_t h = 0;
  if (!x || !ParseWholeNumber(text, LargestOutputSide, w, 'x') ||
      !ParseWholeNumber(x + 1, LargestOutputSide, h) || w < SmallestOutputWidth ||
      h < SmallestOutputHeight) {
    error = flag + " takes WIDTHxHEIGHT, from " + std::to_string(SmallestOutputWidth) + "x" +
            std::to_string(SmallestOutputHeight) + " to " + std::to_string(LargestOutputSide) +
            " a side, not \"" + text + "\"";
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool ParseSampleCount(const char* text, int32_t& samples, std::string& error)
{
  int32_t parsed = 0;
  if (!ParseWholeNumber(text, 1000, parsed) || !IsFrameSampleCount(parsed)) {
    // "2, 4 or 8"
    const size_t n = std::size(FrameSampleCounts);
    std::string counts;
    for (size_t i = 0; i < n; ++i)
      counts += (i == 0 ? "" : i + 1 == n ? " or " : ", ") + std::to_string(FrameSampleCounts[i]);
    error = "--msaa takes " + counts + " samples, not \"" + text + "\"";
    return false;
  }
  samples = parsed;
  return true;
}

TDemoCommand ParseDemoOptions(int argc, const char* const* argv, TDemoOptions& options,
                              std::string& error)
{
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h")
      return TDemoCommand::Help;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--window" || flag == "--desktop") {
      const TWindowMode mode = flag == "--window" ? TWindowMode::Window : TWindowMode::Desktop;
      if (options.Mode != TWindowMode::FullScreen && options.Mode != mode) {
        error = "give --window or --desktop, not both";
        return TDemoCommand::Bad;
      }
      options.Mode = mode;
    } else if (flag == "--pause") {
      options.Paused = true;
    } else if (flag == "--size" || flag == "--msaa") {
      if (i + 1 >= argc) {
        error = flag + " needs a value";
        return TDemoCommand::Bad;
      }
      const char* value = argv[++i];
      if (flag == "--msaa" && !ParseSampleCount(value, options.Samples, error))
        return TDemoCommand::Bad;
      if (flag == "--size" && !ParseOutputSize(flag, value, options.Width, options.Height, error))
        return TDemoCommand::Bad;
    } else if (flag == "--from") {
      if (i + 1 >= argc) {
        error = "--from needs a value";
        return TDemoCommand::Bad;
      }
      const char* value = argv[++i];
      if (!ParseWholeNumber(value, LastFrameTime, options.From)) {
        error = "--from takes a whole number of milliseconds from 0 to " +
                std::to_string(LastFrameTime) + ", not \"" + value + "\"";
        return TDemoCommand::Bad;
      }
    } else {
      error = "unknown argument " + flag;
      return TDemoCommand::Bad;
    }
  }
  if (options.Width && options.Mode != TWindowMode::Window) {
    error = "--size sets the window's size: give --window too";
    return TDemoCommand::Bad;
  }
  return TDemoCommand::Run;
}

std::string DemoUsage()
{
  std::string usage =
      "usage: mvrk_dms [--window [--size WxH] | --desktop] [--msaa N] [--from MS] [--pause]\n"
      "Plays the demo, full screen at 640 x 480, from the start of the music; run\n"
      "it in the content directory (the folder that holds data/, City/ and the\n"
      "others).\n"
      "  --window    a resizable window instead of full screen, without asking\n"
      "  --size WxH  with --window: the window's client size (default 640x480)\n"
      "  --desktop   full screen at the desktop's resolution, without changing the\n"
      "              display mode\n"
      "  With --window and --desktop the picture fits the screen: 16:9 edge to edge,\n"
      "  pillars when wider; a 4:3 size shows the whole 640x480 frame, bars included.\n"
      "  --msaa N    draw the frame with N samples a pixel (2, 4 or 8, as the\n"
      "              driver offers)\n"
      "  --from MS   start the music and the scenes at MS milliseconds (0 to " +
      std::to_string(LastFrameTime) +
      ")\n"
      "  --pause     start with the music paused there, the frame drawn at that\n"
      "              time (Space plays it)\n"
      "  --help      this text\n"
      "Keys:\n"
      "  Escape  quit\n";
  for (const TDemoKey& key : DemoKeys) {
    std::string name = key.Name;
    name.resize(8, ' ');
    usage += "  " + name + key.Description + "\n";
  }
  usage +=
      "Free camera: arrows move, Page Up/Down raise and lower, Home/End widen and\n"
      "narrow the view, digits 1 to 8 set the speed (with Shift the view), the\n"
      "left mouse button looks around, releasing the right button records the\n"
      "camera into default.camera.\n";
  return usage;
}
