#include "host/options.h"

#include "engine/numbers.h"
#include "host/controls.h"
#include "scenes/intervals.h"


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
    if (flag == "--window") {
      options.Windowed = true;
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
  return TDemoCommand::Run;
}

std::string DemoUsage()
{
  std::string usage =
      "usage: mvrk_dms [--window] [--from MS]\n"
      "Plays the demo, full screen, from the start of the music; run it in the\n"
      "content directory.\n"
      "  --window    a resizable window instead of full screen, without asking\n"
      "  --from MS   start the music and the scenes at MS milliseconds (0 to " +
      std::to_string(LastFrameTime) +
      ")\n"
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
