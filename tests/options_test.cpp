#include "host/options.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DemoOptions, ReadsTheCommandLine)
{
  const struct {
    std::vector<const char*> args;
    TDemoCommand command;
    bool windowed;
    int32_t from;
    const char* error;  // a part of the reason, for Bad
  } cases[] = {
      {{}, TDemoCommand::Run, false, 0, ""},
      {{"--window"}, TDemoCommand::Run, true, 0, ""},
      {{"--from", "200000"}, TDemoCommand::Run, false, 200000, ""},
      {{"--from", "0", "--window"}, TDemoCommand::Run, true, 0, ""},
      {{"--window", "--from", "223999"}, TDemoCommand::Run, true, 223999, ""},
      {{"--from", "5", "--from", "7"}, TDemoCommand::Run, false, 7, ""},
      {{"--help"}, TDemoCommand::Help, false, 0, ""},
      {{"-h"}, TDemoCommand::Help, false, 0, ""},
      {{"--window", "--help"}, TDemoCommand::Help, false, 0, ""},
      {{"--from", "224000"}, TDemoCommand::Bad, false, 0, "\"224000\""},
      {{"--from", "-1"}, TDemoCommand::Bad, false, 0, "\"-1\""},
      {{"--from", "12x"}, TDemoCommand::Bad, false, 0, "\"12x\""},
      {{"--from", ""}, TDemoCommand::Bad, false, 0, "\"\""},
      {{"--from", "99999999999999999999"}, TDemoCommand::Bad, false, 0, "milliseconds"},
      {{"--from"}, TDemoCommand::Bad, false, 0, "needs a value"},
      {{"--fullscreen"}, TDemoCommand::Bad, false, 0, "--fullscreen"},
      {{"content"}, TDemoCommand::Bad, false, 0, "content"},
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
      EXPECT_EQ(options.Windowed, c.windowed);
      EXPECT_EQ(options.From, c.from);
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
      EXPECT_EQ(options.Desktop, c.desktop);
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}
