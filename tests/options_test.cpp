#include "host/options.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DemoOptions, ReadsTheCommandLine)
{
  const struct {
    std::vector<const char*> args;
    TDemoCommand command;
    TWindowMode mode;
    int32_t from;
    bool paused;
    const char* error;  // a part of the reason, for Bad
  } cases[] = {
      {{}, TDemoCommand::Run, TWindowMode::FullScreen, 0, false, ""},
      {{"--window"}, TDemoCommand::Run, TWindowMode::Window, 0, false, ""},
      {{"--desktop"}, TDemoCommand::Run, TWindowMode::Desktop, 0, false, ""},
      {{"--window", "--window"}, TDemoCommand::Run, TWindowMode::Window, 0, false, ""},
      {{"--from", "200000"}, TDemoCommand::Run, TWindowMode::FullScreen, 200000, false, ""},
      {{"--from", "0", "--window"}, TDemoCommand::Run, TWindowMode::Window, 0, false, ""},
      {{"--window", "--from", "223999"}, TDemoCommand::Run, TWindowMode::Window, 223999, false, ""},
      {{"--from", "5", "--from", "7"}, TDemoCommand::Run, TWindowMode::FullScreen, 7, false, ""},
      {{"--pause"}, TDemoCommand::Run, TWindowMode::FullScreen, 0, true, ""},
      {{"--pause", "--desktop", "--from", "147000"}, TDemoCommand::Run, TWindowMode::Desktop,
       147000, true, ""},
      {{"--help"}, TDemoCommand::Help, TWindowMode::FullScreen, 0, false, ""},
      {{"-h"}, TDemoCommand::Help, TWindowMode::FullScreen, 0, false, ""},
      {{"--window", "--help"}, TDemoCommand::Help, TWindowMode::FullScreen, 0, false, ""},
      {{"--window", "--desktop"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "not both"},
      {{"--desktop", "--window"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "not both"},
      {{"--pause", "3"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "unknown argument 3"},
      {{"--from", "224000"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "\"224000\""},
      {{"--from", "-1"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "\"-1\""},
      {{"--from", "12x"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "\"12x\""},
      {{"--from", ""}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "\"\""},
      {{"--from", "99999999999999999999"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false,
       "milliseconds"},
      {{"--from"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "needs a value"},
      {{"--fullscreen"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "--fullscreen"},
      {{"content"}, TDemoCommand::Bad, TWindowMode::FullScreen, 0, false, "content"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"mvrk_dms"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string trace;
    for (const char* arg : c.args)
      trace += std::string(" ") + arg;
    SCOPED_TRACE(trace);
    TDemoOptions options;
    std::string error;
    ASSERT_EQ(ParseDemoOptions(static_cast<int>(argv.size()), argv.data(), options, error),
              c.command);
    if (c.command == TDemoCommand::Run) {
      EXPECT_EQ(options.Mode, c.mode);
      EXPECT_EQ(options.From, c.from);
      EXPECT_EQ(options.Paused, c.paused);
    }
    if (c.command == TDemoCommand::Bad) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

// The frame's options: the window's size (with --window only), the desktop
// (not with --window) and the samples.
TEST(DemoOptions, ReadsTheFrameOptions)
{
  const struct {
    std::vector<const char*> args;
    TDemoCommand command;
    int32_t width, height, samples;
    bool desktop;
    const char* error;  // a part of the reason, for Bad
  } cases[] = {
      {{}, TDemoCommand::Run, 0, 0, 1, false, ""},
      {{"--window", "--size", "1024x768"}, TDemoCommand::Run, 1024, 768, 1, false, ""},
      {{"--size", "1440x1080", "--window"}, TDemoCommand::Run, 1440, 1080, 1, false, ""},
      {{"--desktop"}, TDemoCommand::Run, 0, 0, 1, true, ""},
      {{"--desktop", "--msaa", "4"}, TDemoCommand::Run, 0, 0, 4, true, ""},
      {{"--msaa", "8"}, TDemoCommand::Run, 0, 0, 8, false, ""},
      {{"--size", "1024x768"}, TDemoCommand::Bad, 0, 0, 1, false, "give --window too"},
      {{"--window", "--desktop"}, TDemoCommand::Bad, 0, 0, 1, false, "not both"},
      {{"--window", "--size", "1024"}, TDemoCommand::Bad, 0, 0, 1, false, "\"1024\""},
      {{"--window", "--size", "1920x1080"}, TDemoCommand::Run, 1920, 1080, 1, false, ""},
      {{"--window", "--size", "320x180"}, TDemoCommand::Run, 320, 180, 1, false, ""},
      {{"--window", "--size", "3840x2160"}, TDemoCommand::Run, 3840, 2160, 1, false, ""},
      {{"--window", "--size", "300x200"}, TDemoCommand::Bad, 0, 0, 1, false, "from 320x180"},
      {{"--window", "--size", "320x179"}, TDemoCommand::Bad, 0, 0, 1, false, "\"320x179\""},
      {{"--window", "--size", "32769x2000"}, TDemoCommand::Bad, 0, 0, 1, false, "32768 a side"},
      {{"--window", "--size"}, TDemoCommand::Bad, 0, 0, 1, false, "needs a value"},
      {{"--msaa", "3"}, TDemoCommand::Bad, 0, 0, 1, false, "2, 4 or 8"},
      {{"--msaa", "16"}, TDemoCommand::Bad, 0, 0, 1, false, "\"16\""},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"mvrk_dms"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string trace;
    for (const char* arg : c.args)
      trace += std::string(" ") + arg;
    SCOPED_TRACE(trace);
    TDemoOptions options;
    std::string error;
    ASSERT_EQ(ParseDemoOptions(static_cast<int>(argv.size()), argv.data(), options, error),
              c.command);
    if (c.command == TDemoCommand::Run) {
      EXPECT_EQ(options.Width, c.width);
      EXPECT_EQ(options.Height, c.height);
      EXPECT_EQ(options.Samples, c.samples);
      EXPECT_EQ(options.Mode == TWindowMode::Desktop, c.desktop);
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}
