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
