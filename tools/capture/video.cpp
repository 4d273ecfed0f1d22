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
      "-t", Format("%.3f", static_cast<double>(settings.FrameCount) / rate), "-shortest"};
  // A key frame every two seconds bounds what a kill can take from the end.
  const int keyInterval = rate * 2 < 1 ? 1 : static_cast<int>(rate * 2 + 0.5);
  args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "20", "-pix_fmt",
                           "yuv420p", "-g", std::to_string(keyInterval), "-c:a", "aac", "-b:a",
                           "192k"});
  // Other endings (".avi", ".webm") are ffmpeg's to choose by; a name with no
  // ending at all, or a device such as /dev/stdout, gets MP4.
  const std::string base = settings.Path.substr(settings.Path.rfind('/') + 1);
  if (EndsWith(settings.Path, ".mkv"))
    args.insert(args.end(), {"-f", "matroska"});
  else if (EndsWith(settings.Path, ".mp4") || EndsWith(settings.Path, ".m4v") ||
           EndsWith(settings.Path, ".mov") || base.find('.') == std::string::npos)
    args.insert(args.end(), {"-f", EndsWith(settings.Path, ".mov") ? "mov" : "mp4", "-movflags",
                             "+frag_keyframe+empty_moov+default_base_moof"});
  args.push_back("file:" + output);
  return args;
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

}  // namespace

TVideoEncoder::~TVideoEncoder()
{
  if (Input >= 0)
    ::close(Input);
  if (Child > 0) {
    ::kill(Child, SIGKILL);
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
    int fd = -1;
    const TNewFile made = MakeNewFile([&](int attempt) {
      output = VideoTemporaryName(Target, attempt);
      fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      return fd >= 0 ? TNewFile::Made : errno == EEXIST ? TNewFile::Taken : TNewFile::Failed;
    });
    if (made != TNewFile::Made) {
      error = "cannot create " + output + ": " + std::strerror(made == TNewFile::Taken ? EEXIST : errno);
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      return false;
    }
    Temporary = output;
    ::close(fd);
    OldMode = exists ? static_cast<int>(old.st_mode & 07777) : -1;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, Errors, STDERR_FILENO);
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

  const std::vector<std::string> args = VideoArguments(settings, output);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int spawned =
      ::posix_spawn(&Child, settings.Program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
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
  return true;
}

bool TVideoEncoder::Write(const std::vector<uint8_t>& rgb)
{
  return Input >= 0 && WriteAllBytes(Input, rgb.data(), rgb.size());
}

bool TVideoEncoder::Finish(std::string& error)
{
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
  if (waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
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

  std::string how = waited < 0                ? std::string("could not be waited for")
                    : WIFSIGNALED(status)     ? "was killed by signal " + std::to_string(WTERMSIG(status))
                                              : "failed with status " + std::to_string(WEXITSTATUS(status));
  error = Path + ": ffmpeg " + how;
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
