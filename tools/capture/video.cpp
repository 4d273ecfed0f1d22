#include "video.h"

#include "engine/paths.h"
#include "engine/savefile.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

// x264's speed and quality. At 1920x1080, 60 frames a second, superfast
// gave the PSNR of veryfast at 2 steps of CRF lower (52.1 dB at CRF 19
// against veryfast's CRF 14) for half its encoding time, and the encoder
// shares the two cores with the drawing; CRF 19 gave 11.5 to 14 Mbit/s on
// the water, so CRF 18 keeps above the 12 the sites ask for.
const char* const VideoPreset = "superfast";
const char* const VideoQuality = "18";

std::string Format(const char* format, double a, double b = 0)
{
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
  return text.size() >= end.size() &&
         EqualIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

// The last lines of ffmpeg's error output, at most about a screenful.
std::string LastLines(int fd)
{
  std::string text;
  if (fd < 0 || ::lseek(fd, 0, SEEK_SET) < 0)
    return text;
  char chunk[4096];
  for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
    text.append(chunk, static_cast<size_t>(n));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  size_t start = text.size();
  for (int lines = 0; lines < 8 && start != std::string::npos && start > 0; ++lines)
    start = text.rfind('\n', start - 1);
  return start == std::string::npos ? text : text.substr(start + 1);
}

}  // namespace

bool IsRewrittenMp4(const std::string& path)
{
  const std::string base = path.substr(path.rfind('/') + 1);
  return EndsWith(path, ".mp4") || EndsWith(path, ".m4v") || EndsWith(path, ".mov") ||
         base.find('.') == std::string::npos;
}

int KeyFrameInterval(const TCaptureRate& rate)
{
  const int interval = rate.Frames / (2 * rate.Seconds);
  return interval < 1 ? 1 : interval;
}

std::vector<std::string> VideoArguments(const TVideoSettings& settings, const std::string& output)
{
  const double rate = static_cast<double>(settings.Rate.Frames) / settings.Rate.Seconds;
  std::vector<std::string> args = {
      settings.Program, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
      "-f", "rawvideo", "-pix_fmt", "rgb24",
      "-s", std::to_string(settings.Width) + "x" + std::to_string(settings.Height),
      "-r", std::to_string(settings.Rate.Frames) + "/" + std::to_string(settings.Rate.Seconds),
      "-i", "pipe:0",
      "-ss", Format("%.3f", settings.From / 1000.0), "-i", "file:" + settings.Soundtrack,
      "-map", "0:v", "-map", "1:a",
      // The sound ends with the last frame, also when the capture stops early.
      "-t", Format("%.3f", static_cast<double>(settings.FrameCount) / rate), "-shortest",
      // The frames' RGB becomes YUV by the HD matrix at limited range, which
      // the stream's tags tell players; swscale's exact rounding and full
      // chroma keep the mean colour where it was.
      "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+full_chroma_int,format=yuv420p",
      "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
      // What video sites ask for: High profile, 4:2:0, two B-frames, a closed
      // group of pictures of half a second at most.
      "-c:v", "libx264", "-profile:v", "high", "-preset", VideoPreset, "-crf", VideoQuality,
      "-pix_fmt", "yuv420p", "-bf", "2", "-g", std::to_string(KeyFrameInterval(settings.Rate)),
      "-flags", "+cgop",
      "-c:a", "aac", "-profile:a", "aac_low", "-ar", "48000", "-ac", "2", "-b:a", "384k"};
  // Other endings (".avi", ".webm") are ffmpeg's to choose by; a name with no
  // ending at all, or a device such as /dev/stdout, gets MP4.
  if (EndsWith(settings.Path, ".mkv"))
    args.insert(args.end(), {"-f", "matroska"});
  else if (IsRewrittenMp4(settings.Path))
    args.insert(args.end(), {"-f", EndsWith(settings.Path, ".mov") ? "mov" : "mp4", "-movflags",
                             "+frag_keyframe+empty_moov+default_base_moof"});
  args.push_back("file:" + output);
  return args;
}

std::vector<std::string> FinalVideoArguments(const std::string& program, const std::string& path,
                                             const std::string& fragmented, const std::string& output)
{
  // No edit list: the B-frames' delay is taken out by composition offsets
  // that may be negative, so that the first frame is shown at time 0.
  return {program, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
          "-i", "file:" + fragmented, "-map", "0", "-c", "copy",
          "-f", EndsWith(path, ".mov") ? "mov" : "mp4",
          "-movflags", "+faststart+negative_cts_offsets", "-use_editlist", "0",
          "file:" + output};
}

std::string VideoTemporaryName(const std::string& path, int attempt)
{
  const size_t base = path.rfind('/') + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= base)
    dot = path.size();
  return path.substr(0, dot) + ".part" + (attempt > 0 ? std::to_string(attempt) : "") +
         path.substr(dot);
}

std::string FindProgram(const std::string& name)
{
  if (name.find('/') != std::string::npos)
    return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
    if (folder.empty())
      folder = ".";
    const std::string candidate = folder + "/" + name;
    struct stat state;
    if (::stat(candidate.c_str(), &state) == 0 && S_ISREG(state.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    if (end == std::string::npos)
      return "";
    start = end + 1;
  }
}

std::string FindFfmpeg(std::string& error)
{
  const std::string program = FindProgram("ffmpeg");
  if (program.empty())
    error = "--video needs ffmpeg, which is not on PATH";
  return program;
}

namespace {

// Waits for the child, through interruptions; its pid, or -1 with errno set.
pid_t WaitFor(pid_t child, int& status)
{
  pid_t waited;
  do
    waited = ::waitpid(child, &status, 0);
  while (waited < 0 && errno == EINTR);
  return waited;
}

// Starts program with args, standard input from input (or none when -1) and
// standard error to errors; 0 with child set, or the error number.
int SpawnFfmpeg(const std::string& program, const std::vector<std::string>& args, int input,
                int errors, pid_t& child)
{
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0)
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group keeps the terminal's Ctrl-C from ending ffmpeg
  // before the capture has closed the video; the signals the capture catches
  // or ignores are ffmpeg's defaults again.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGPIPE, SIGHUP})
    sigaddset(&defaults, signal);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return spawned;
}

// Makes a new empty file named VideoTemporaryName(target, attempt) for the
// first attempt whose name is free, so that it is ours; its name, or "" with
// error set.
std::string MakeTemporary(const std::string& target, std::string& error)
{
  std::string name;
  int fd = -1;
  const TNewFile made = MakeNewFile([&](int attempt) {
    name = VideoTemporaryName(target, attempt);
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd >= 0 ? TNewFile::Made : errno == EEXIST ? TNewFile::Taken : TNewFile::Failed;
  });
  if (made != TNewFile::Made) {
    error = "cannot create " + name + ": " + std::strerror(made == TNewFile::Taken ? EEXIST : errno);
    return "";
  }
  ::close(fd);
  return name;
}

// How a child that did not end with status 0 ended.
std::string HowItEnded(pid_t waited, int status)
{
  return waited < 0            ? std::string("could not be waited for")
         : WIFSIGNALED(status) ? "was killed by signal " + std::to_string(WTERMSIG(status))
                               : "failed with status " + std::to_string(WEXITSTATUS(status));
}

bool EndedWell(pid_t waited, int status)
{
  return waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TVideoEncoder::~TVideoEncoder()
{
  // ffmpeg killed first: a writer blocked on the pipe then fails and ends.
  if (Child > 0)
    ::kill(Child, SIGKILL);
  StopWriter();
  if (Input >= 0)
    ::close(Input);
  if (Child > 0) {
    int status = 0;
    WaitFor(Child, status);
  }
  if (Errors >= 0)
    ::close(Errors);
  if (!Temporary.empty())
    ::unlink(Temporary.c_str());
}

bool TVideoEncoder::Start(const TVideoSettings& settings, std::string& error)
{
  Path = settings.Path;
  Program = settings.Program;
  if (!FollowLinks(Path, Target, error))
    return false;
  struct stat old;
  const bool exists = ::stat(Target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    error = std::strerror(EISDIR);
    return false;
  }
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  Errors = ::memfd_create("ffmpeg-errors", MFD_CLOEXEC);
  if (Errors < 0) {
    error = std::string("cannot keep ffmpeg's messages: ") + std::strerror(errno);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return false;
  }

  std::string output = Target;
  if (!exists || S_ISREG(old.st_mode)) {
    // The temporary is made here, so that it is ours: ffmpeg writes over it.
    output = MakeTemporary(Target, error);
    if (output.empty()) {
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      return false;
    }
    Temporary = output;
    OldMode = exists ? static_cast<int>(old.st_mode & 07777) : -1;
  }

  const int spawned =
      SpawnFfmpeg(settings.Program, VideoArguments(settings, output), pipeEnds[0], Errors, Child);
  ::close(pipeEnds[0]);
  if (spawned != 0) {
    Child = -1;
    ::close(pipeEnds[1]);
    error = "cannot start " + settings.Program + ": " + std::strerror(spawned);
    ::unlink(Temporary.c_str());
    Temporary.clear();
    return false;
  }
  Input = pipeEnds[1];
  Writer = std::thread(&TVideoEncoder::WriteFrames, this);
  return true;
}

bool TVideoEncoder::Write(const std::vector<uint8_t>& rgb)
{
  if (Input < 0)
    return false;
  std::unique_lock<std::mutex> lock(Lock);
  Changed.wait(lock, [this] { return !HasPending || WriteFailed; });
  if (WriteFailed)
    return false;
  Pending.assign(rgb.begin(), rgb.end());
  HasPending = true;
  Changed.notify_all();
  return true;
}

void TVideoEncoder::WriteFrames()
{
  std::vector<uint8_t> frame;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(Lock);
      Changed.wait(lock, [this] { return HasPending || Closing; });
      if (!HasPending)
        return;
      frame.swap(Pending);
      HasPending = false;
      Changed.notify_all();
    }
    if (!WriteAllBytes(Input, frame.data(), frame.size())) {
      std::lock_guard<std::mutex> lock(Lock);
      WriteFailed = true;
      HasPending = false;
      Changed.notify_all();
      return;
    }
  }
}

void TVideoEncoder::StopWriter()
{
  if (!Writer.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(Lock);
    Closing = true;
    Changed.notify_all();
  }
  Writer.join();
}

bool TVideoEncoder::Finish(std::string& error)
{
  StopWriter();
  if (Input >= 0) {
    ::close(Input);
    Input = -1;
  }
  if (Child <= 0) {
    error = Path + ": the video was not started";
    return false;
  }
  int status = 0;
  const pid_t waited = WaitFor(Child, status);
  Child = -1;
  if (!EndedWell(waited, status)) {
    error = Path + ": ffmpeg " + HowItEnded(waited, status);
    const std::string lines = LastLines(Errors);
    if (!lines.empty())
      error += "; it said:\n" + lines;
    if (!Temporary.empty()) {
      ::unlink(Temporary.c_str());
      error += "\n" + Temporary + ": removed the unfinished video";
      Temporary.clear();
    }
    return false;
  }
  if (!Temporary.empty() && IsRewrittenMp4(Path) && !RewriteWhole(error))
    return false;
  // The older video's mode is given to the new one only now: ffmpeg had
  // to be able to write it.
  if (!Temporary.empty() && OldMode >= 0)
    (void)::chmod(Temporary.c_str(), static_cast<mode_t>(OldMode));
  if (Temporary.empty() || ::rename(Temporary.c_str(), Target.c_str()) == 0) {
    Temporary.clear();
    return true;
  }
  error = Path + ": cannot rename " + Temporary + " to it: " + std::strerror(errno) +
          "; the video is left as " + Temporary;
  Temporary.clear();
  return false;
}

bool TVideoEncoder::RewriteWhole(std::string& error)
{
  std::string reason;
  const std::string whole = MakeTemporary(Target, reason);
  if (!whole.empty()) {
    (void)::ftruncate(Errors, 0);
    (void)::lseek(Errors, 0, SEEK_SET);
    const int spawned = SpawnFfmpeg(Program, FinalVideoArguments(Program, Path, Temporary, whole),
                                    -1, Errors, Child);
    if (spawned == 0) {
      int status = 0;
      const pid_t waited = WaitFor(Child, status);
      Child = -1;
      if (EndedWell(waited, status)) {
        ::unlink(Temporary.c_str());
        Temporary = whole;
        return true;
      }
      reason = "ffmpeg " + HowItEnded(waited, status);
      const std::string lines = LastLines(Errors);
      if (!lines.empty())
        reason += "; it said:\n" + lines;
    }
    else {
      Child = -1;
      reason = "cannot start " + Program + ": " + std::strerror(spawned);
    }
    ::unlink(whole.c_str());
  }
  // The fragmented video is whole and plays: it is kept for the user.
  error = Path + ": cannot rewrite it with its index first: " + reason + "\nthe video is left as " +
          Temporary;
  Temporary.clear();
  return false;
}
