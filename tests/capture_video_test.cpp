#include "tools/capture/video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TVideoSettings Settings(const std::string& path)
{
  return {path, "/content/data/soundtrack.ogg", 640, 480, {25, 1}, 1000, 50};
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
    const std::vector<std::string> args = VideoArguments(Settings(c.path), "/usr/bin/ffmpeg");
    EXPECT_EQ(args.front(), "/usr/bin/ffmpeg");
    EXPECT_EQ(args.back(), "file:" + c.path);
    EXPECT_EQ(std::count(args.begin(), args.end(), c.path), 0) << c.path;
    EXPECT_EQ(After(args, "-f"), "rawvideo") << "the first -f is the frames' input";
    const auto output = std::find(args.begin() + 1, args.end(), "-c:v");
    const std::vector<std::string> tail(output, args.end());
    EXPECT_EQ(After(tail, "-f"), c.format) << c.path;
    EXPECT_EQ(After(tail, "-movflags"), c.movflags) << c.path;
  }
}

// The sound starts at the first frame's music time and ends with the frames,
// also when fewer come than planned.
TEST(VideoArguments, SoundFollowsTheFrames)
{
  TVideoSettings settings = Settings("clip.mp4");
  settings.From = 96153;
  settings.FrameCount = 150;
  settings.Rate = {1000, 40};
  const std::vector<std::string> args = VideoArguments(settings, "ffmpeg");
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
