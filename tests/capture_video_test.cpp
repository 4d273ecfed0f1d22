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
  EXPECT_EQ(After(args, "-g"), "12");
  EXPECT_NE(std::find(args.begin(), args.end(), "file:/content/data/soundtrack.ogg"), args.end());
}

// Half a second of frames at most between key frames, whatever the rate.
TEST(KeyFrameInterval, HalfASecondRoundedDown)
{
  struct {
    TCaptureRate rate;
    int interval;
  } cases[] = {{{60, 1}, 30}, {{25, 1}, 12}, {{1000, 40}, 12}, {{1000, 7}, 71},
               {{1, 1}, 1},   {{1000, 3000}, 1}, {{3, 1}, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(KeyFrameInterval(c.rate), c.interval) << c.rate.Frames << "/" << c.rate.Seconds;
}

// Every video's pictures are converted by the HD matrix at limited range and
// tagged so, for MP4 and Matroska alike; the sound is 48 kHz stereo AAC-LC.
TEST(VideoArguments, ColoursAndSoundAreTheSitesFormat)
{
  for (const char* path : {"clip.mp4", "clip.mkv"}) {
    const std::vector<std::string> args = VideoArguments(Settings(path), path);
    const std::string filter = After(args, "-vf");
    EXPECT_NE(filter.find("out_color_matrix=bt709"), std::string::npos) << filter;
    EXPECT_NE(filter.find("out_range=tv"), std::string::npos) << filter;
    for (const char* flag : {"-colorspace", "-color_primaries", "-color_trc"})
      EXPECT_EQ(After(args, flag), "bt709") << path << " " << flag;
    EXPECT_EQ(After(args, "-color_range"), "tv") << path;
    EXPECT_EQ(After(args, "-profile:v"), "high") << path;
    EXPECT_EQ(After(args, "-bf"), "2") << path;
    EXPECT_EQ(After(args, "-flags"), "+cgop") << path;
    EXPECT_EQ(After(args, "-ar"), "48000") << path;
    EXPECT_EQ(After(args, "-ac"), "2") << path;
    EXPECT_EQ(After(args, "-profile:a"), "aac_low") << path;
  }
}

// The fragmented MP4 kinds are copied once whole into a plain file of the
// same kind, index first and without edit list; Matroska and the endings
// ffmpeg chooses by are kept as written.
TEST(FinalVideoArguments, CopiesTheFragmentedVideoIndexFirst)
{
  struct {
    const char* path;
    bool rewritten;
    const char* format;
  } cases[] = {{"clip.mp4", true, "mp4"},  {"CLIP.M4V", true, "mp4"},   {"clip.mov", true, "mov"},
               {"/tmp/a.b/clip", true, "mp4"}, {"clip.mkv", false, ""}, {"clip.webm", false, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsRewrittenMp4(c.path), c.rewritten) << c.path;
    if (!c.rewritten)
      continue;
    const std::vector<std::string> args =
        FinalVideoArguments("/usr/bin/ffmpeg", c.path, "-i.part.mp4", "-i.part1.mp4");
    EXPECT_EQ(args.front(), "/usr/bin/ffmpeg");
    EXPECT_EQ(After(args, "-i"), "file:-i.part.mp4");
    EXPECT_EQ(args.back(), "file:-i.part1.mp4");
    EXPECT_EQ(After(args, "-c"), "copy");
    EXPECT_EQ(After(args, "-f"), c.format) << c.path;
    EXPECT_EQ(After(args, "-use_editlist"), "0");
    const std::string flags = After(args, "-movflags");
    EXPECT_NE(flags.find("+faststart"), std::string::npos) << flags;
    EXPECT_EQ(flags.find("frag"), std::string::npos) << flags;
  }
}

TEST(FindProgram, LooksAlongPath)
{
  EXPECT_NE(FindProgram("sh"), "");
  EXPECT_EQ(FindProgram("sh").back(), 'h');
  EXPECT_EQ(FindProgram("mvrk-no-such-program"), "");
  EXPECT_EQ(FindProgram("/bin/sh"), "/bin/sh");
  EXPECT_EQ(FindProgram("/no/such/ffmpeg"), "");
}
