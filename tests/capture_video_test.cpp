#include "tools/capture/video.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TVideoSettings Settings(const std::string& path)
{
  return {"/usr/bin/ffmpeg", path, "/content/data/soundtrack.ogg", 640, 480, {25, 1}, 1000, 50};
}

// The value that follows flag in args, or "" when flag is not there.
std::string After(const std::vector<std::string>& args, const std::string& flag)
{
  const auto at = std::find(args.begin(), args.end(), flag);
  return at == args.end() || at + 1 == args.end() ? "" : *(at + 1);
}

}  // namespace

// Every name is one argument of its own behind "file:", whatever it holds;
// the container follows the name's ending, MP4 fragmented.
TEST(VideoArguments, NamesAreFilesAndTheContainerFollowsTheEnding)
{
  const std::string fragmented = "+frag_keyframe+empty_moov+default_base_moof";
  struct {
    std::string path;
    const char* format;    // "" when ffmpeg chooses by the ending
    const char* movflags;  // "" for none
  } cases[] = {
      {"clip.mp4", "mp4", fragmented.c_str()},
      {"CLIP.MP4", "mp4", fragmented.c_str()},
      {"-i.mp4", "mp4", fragmented.c_str()},
      {"a'; touch x; echo '.mp4", "mp4", fragmented.c_str()},
      {"clip.mov", "mov", fragmented.c_str()},
      {"clip.mkv", "matroska", ""},
      {"/tmp/dot.folder/clip", "mp4", fragmented.c_str()},
      {"clip.webm", "", ""},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> args = VideoArguments(Settings(c.path), c.path);
    EXPECT_EQ(args.front(), "/usr/bin/ffmpeg");
    EXPECT_EQ(args.back(), "file:" + c.path);
    EXPECT_EQ(std::count(args.begin(), args.end(), c.path), 0) << c.path;
    EXPECT_EQ(After(args, "-f"), "rawvideo") << "the first -f is the frames' input";
    const auto output = std::find(args.begin() + 1, args.end(), "-c:v");
    const std::vector<std::string> tail(output, args.end());
    EXPECT_EQ(After(tail, "-f"), c.format) << c.path;
    EXPECT_EQ(After(tail, "-movflags"), c.movflags) << c.path;
    // ffmpeg writes the temporary, in the container of the video's own name.
    const std::string temporary = VideoTemporaryName(c.path, 0);
    const std::vector<std::string> toTemporary = VideoArguments(Settings(c.path), temporary);
    EXPECT_EQ(toTemporary.back(), "file:" + temporary);
    EXPECT_EQ(std::vector<std::string>(toTemporary.begin(), toTemporary.end() - 1),
              std::vector<std::string>(args.begin(), args.end() - 1))
        << c.path;
  }
}

// The temporary keeps the video's folder and ending, so that it plays as the
// same kind of file after a kill; a name that is taken gets a number.
TEST(VideoTemporaryName, PartGoesBeforeTheEnding)
{
  struct {
    const char* path;
    int attempt;
    const char* temporary;
  } cases[] = {
      {"clip.mp4", 0, "clip.part.mp4"},
      {"clip.mp4", 2, "clip.part2.mp4"},
      {"/tmp/dot.folder/clip", 0, "/tmp/dot.folder/clip.part"},
      {"out/take.one.mkv", 0, "out/take.one.part.mkv"},
      {".hidden", 0, ".hidden.part"},
      {"-i.mp4", 1, "-i.part1.mp4"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VideoTemporaryName(c.path, c.attempt), c.temporary) << c.path;
}

// An encoder that never started waits for no process: another child of the
// program is still there to be waited for afterwards.
TEST(VideoEncoder, FinishWithoutStartWaitsForNoChild)
{
  const std::string sleep = FindProgram("sleep");
  ASSERT_NE(sleep, "");
  char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("0.2"), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, sleep.c_str(), nullptr, nullptr, argv, nullptr), 0);
  std::string error;
  {
    TVideoEncoder video;
    EXPECT_FALSE(video.Finish(error));
  }
  EXPECT_NE(error.find("not started"), std::string::npos) << error;
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
}

// The sound starts at the first frame's music time and ends with the frames,
// also when fewer come than planned.
TEST(VideoArguments, SoundFollowsTheFrames)
{
  TVideoSettings settings = Settings("clip.mp4");
  settings.From = 96153;
  settings.FrameCount = 150;
  settings.Rate = {1000, 40};
  const std::vector<std::string> args = VideoArguments(settings, "clip.mp4");
  EXPECT_EQ(After(args, "-ss"), "96.153");
  EXPECT_EQ(After(args, "-t"), "6.000");
  EXPECT_NE(std::find(args.begin(), args.end(), "-shortest"), args.end());
  EXPECT_EQ(After(args, "-i"), "pipe:0");
  EXPECT_EQ(After(args, "-r"), "1000/40");
  EXPECT_EQ(After(args, "-g"), "50");
  EXPECT_NE(std::find(args.begin(), args.end(), "file:/content/data/soundtrack.ogg"), args.end());
}

TEST(FindProgram, LooksAlongPath)
{
  EXPECT_NE(FindProgram("sh"), "");
  EXPECT_EQ(FindProgram("sh").back(), 'h');
  EXPECT_EQ(FindProgram("mvrk-no-such-program"), "");
  EXPECT_EQ(FindProgram("/bin/sh"), "/bin/sh");
  EXPECT_EQ(FindProgram("/no/such/ffmpeg"), "");
}
