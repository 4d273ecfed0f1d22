#include "engine/savefile.h"

#include "engine/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> FolderNames(const std::string& folder)
{
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
        names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

std::string FileText(const std::string& path)
{
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(path, bytes, error))
    return "(unreadable: " + error + ")";
  return std::string(bytes.begin(), bytes.end());
}

// What a symbolic link holds, or "" when the name is no link.
std::string LinkText(const std::string& path)
{
  char text[4096];
  const ssize_t length = readlink(path.c_str(), text, sizeof text);
  return length < 0 ? "" : std::string(text, static_cast<size_t>(length));
}

mode_t ModeOf(const std::string& path)
{
  struct stat state;
  return stat(path.c_str(), &state) == 0 ? state.st_mode & 07777 : 0;
}

}  // namespace

// A good write replaces the file and leaves nothing else in its folder.
TEST(ReplaceFile, WritesTheNameAndNothingBeside)
{
  TTempDir dir;
  struct {
    const char* before;  // the old contents, or nullptr for no file
    const char* written;
  } cases[] = {{nullptr, "fresh"}, {"a longer old text", "new"}, {"old", ""}};
  for (const auto& c : cases) {
    const std::string path = dir.File("out.bin");
    unlink(path.c_str());
    if (c.before)
      WriteText(path, c.before);
    std::string error;
    ASSERT_TRUE(ReplaceFileBytes(path, c.written, std::string(c.written).size(), error)) << error;
    EXPECT_EQ(FileText(path), c.written);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"out.bin"});
  }
}

// A failed write names the system's reason and leaves the target as it was,
// with no temporary file beside it.
TEST(ReplaceFile, FailureKeepsTheTargetAndSaysWhy)
{
  TTempDir dir;
  mkdir(dir.File("folder").c_str(), 0755);
  struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir.File("missing/out.bin"), "No such file or directory"},
      {dir.File("folder"), "Is a directory"},
      {dir.File("folder/"), "Is a directory"},
      {"/dev/full", "No space left on device"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReplaceFileBytes(c.path, "bytes", 5, error)) << c.path;
    EXPECT_EQ(error, c.reason) << c.path;
  }
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"folder"});
  EXPECT_TRUE(FolderNames(dir.File("folder")).empty());
}

// A device is written in place, never replaced by a regular file.
TEST(ReplaceFile, DeviceIsWrittenInPlace)
{
  std::string error;
  ASSERT_TRUE(ReplaceFileBytes("/dev/null", "bytes", 5, error)) << error;
  struct stat state;
  ASSERT_EQ(stat("/dev/null", &state), 0);
  EXPECT_TRUE(S_ISCHR(state.st_mode));
}

// A link stays a link; the file it names takes the bytes.
TEST(ReplaceFile, LinkKeepsPointingAtItsFile)
{
  TTempDir dir;
  WriteText(dir.File("real.txt"), "old");
  ASSERT_EQ(symlink("real.txt", dir.File("link.txt").c_str()), 0);
  std::string error;
  ASSERT_TRUE(ReplaceFileBytes(dir.File("link.txt"), "new", 3, error)) << error;
  struct stat state;
  ASSERT_EQ(lstat(dir.File("link.txt").c_str(), &state), 0);
  EXPECT_TRUE(S_ISLNK(state.st_mode));
  EXPECT_EQ(FileText(dir.File("real.txt")), "new");
}

// The replacement keeps the old file's permission bits, whatever the umask
// would give a new file; a new file gets 0666 less the umask.
TEST(ReplaceFile, KeepsTheOldFilesMode)
{
  TTempDir dir;
  const mode_t umaskNow = umask(022);
  const mode_t modes[] = {0600, 0640, 0755, 0444, 0604};
  for (const mode_t mode : modes) {
    const std::string path = dir.File("kept.bin");
    unlink(path.c_str());
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    std::string error;
    ASSERT_TRUE(ReplaceFileBytes(path, "new", 3, error)) << error;
    EXPECT_EQ(FileText(path), "new");
    EXPECT_EQ(ModeOf(path), mode) << std::oct << mode;
  }
  std::string error;
  ASSERT_TRUE(ReplaceFileBytes(dir.File("fresh.bin"), "new", 3, error)) << error;
  EXPECT_EQ(ModeOf(dir.File("fresh.bin")), 0644u);
  umask(umaskNow);
}

// Every link is followed to the name it stands for and the file there takes
// the bytes, also one that does not exist yet; the links stay as they were
// and nothing else appears beside them.
TEST(ReplaceFile, LinksAreFollowedToTheirFile)
{
  TTempDir dir;
  mkdir(dir.File("sub").c_str(), 0755);
  struct {
    const char* file;                    // what exists before, "" for nothing
    std::vector<const char*> links;      // name, then what it holds, in pairs
    const char* written;                 // the name given to ReplaceFileBytes
    const char* lands;                   // the file that must take the bytes
  } cases[] = {
      {"real.txt", {"link.txt", "real.txt"}, "link.txt", "real.txt"},
      {"", {"link.txt", "missing.txt"}, "link.txt", "missing.txt"},
      {"", {"link.txt", "sub/missing.txt"}, "link.txt", "sub/missing.txt"},
      {"real.txt", {"sub/link.txt", "../real.txt"}, "sub/link.txt", "real.txt"},
      {"real.txt", {"first.txt", "second.txt", "second.txt", "sub/third.txt", "sub/third.txt", "../real.txt"},
       "first.txt", "real.txt"},
      {"", {"first.txt", "second.txt", "second.txt", "missing.txt"}, "first.txt", "missing.txt"},
  };
  for (const auto& c : cases) {
    TTempDir fresh;
    mkdir(fresh.File("sub").c_str(), 0755);
    if (*c.file)
      WriteText(fresh.File(c.file), "old");
    for (size_t i = 0; i + 1 < c.links.size(); i += 2)
      ASSERT_EQ(symlink(c.links[i + 1], fresh.File(c.links[i]).c_str()), 0) << c.links[i];
    std::string error;
    ASSERT_TRUE(ReplaceFileBytes(fresh.File(c.written), "new", 3, error)) << c.written << ": " << error;
    EXPECT_EQ(FileText(fresh.File(c.lands)), "new") << c.written;
    for (size_t i = 0; i + 1 < c.links.size(); i += 2)
      EXPECT_EQ(LinkText(fresh.File(c.links[i])), c.links[i + 1]) << c.links[i];
    size_t names = FolderNames(fresh.Path()).size() + FolderNames(fresh.File("sub")).size();
    EXPECT_EQ(names, 1 + c.links.size() / 2 + 1) << c.written << ": something else was left";
  }
  // An absolute link too.
  WriteText(dir.File("real.txt"), "old");
  ASSERT_EQ(symlink(dir.File("real.txt").c_str(), dir.File("sub/absolute.txt").c_str()), 0);
  std::string error;
  ASSERT_TRUE(ReplaceFileBytes(dir.File("sub/absolute.txt"), "new", 3, error)) << error;
  EXPECT_EQ(FileText(dir.File("real.txt")), "new");
  EXPECT_EQ(LinkText(dir.File("sub/absolute.txt")), dir.File("real.txt"));
}

// Links that cannot end at a file fail with the system's reason and stay
// links: a loop, and a link into a folder that does not exist.
TEST(ReplaceFile, LinksThatLeadNowhereAreKept)
{
  TTempDir dir;
  ASSERT_EQ(symlink("b", dir.File("a").c_str()), 0);
  ASSERT_EQ(symlink("a", dir.File("b").c_str()), 0);
  ASSERT_EQ(symlink("gone/file.txt", dir.File("into-nothing").c_str()), 0);
  struct {
    const char* name;
    const char* holds;
    const char* reason;
  } cases[] = {
      {"a", "b", "Too many levels of symbolic links"},
      {"into-nothing", "gone/file.txt", "No such file or directory"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReplaceFileBytes(dir.File(c.name), "new", 3, error)) << c.name;
    EXPECT_EQ(error, c.reason) << c.name;
    EXPECT_EQ(LinkText(dir.File(c.name)), c.holds) << c.name;
  }
  EXPECT_EQ(FolderNames(dir.Path()).size(), 3u);
}

// A pipe takes the bytes as they come and stays a pipe.
TEST(ReplaceFile, PipeIsWrittenInPlace)
{
  TTempDir dir;
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::string error;
  EXPECT_TRUE(ReplaceFileBytes(pipe, "bytes", 5, error)) << error;
  char got[16] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 5);
  EXPECT_STREQ(got, "bytes");
  close(reader);
  struct stat state;
  ASSERT_EQ(lstat(pipe.c_str(), &state), 0);
  EXPECT_TRUE(S_ISFIFO(state.st_mode));
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"pipe"});
}

// A program file name is resolved whole, its last component too: the file
// that matches it without regard to case is replaced; a last component that
// matches nothing is created as written.
TEST(WriteFile, ResolvesTheWholeNameWithoutRegardToCase)
{
  TTempDir dir;
  mkdir(dir.File("Data").c_str(), 0755);
  WriteText(dir.File("Data/default.camera"), "old");
  SetContentRoot(dir.Path());
  std::string error;
  EXPECT_TRUE(WriteFileBytes("data\\Default.CAMERA", "new", 3, error)) << error;
  EXPECT_TRUE(WriteFileBytes("DATA\\Fresh.txt", "made", 4, error)) << error;
  SetContentRoot("");
  EXPECT_EQ(FileText(dir.File("Data/default.camera")), "new");
  EXPECT_EQ(FileText(dir.File("Data/Fresh.txt")), "made");
  EXPECT_EQ(FolderNames(dir.File("Data")).size(), 2u);
}

// The exclusive temporary's one rule: names are tried until one is not
// taken, at most NewFileAttempts of them, and the first other answer ends it.
TEST(MakeNewFile, TriesNamesUntilOneIsNotTaken)
{
  struct TCase {
    const char* What;
    int TakenNames;        // the first this many names are taken
    int FailsAt;           // the attempt that fails for another reason, -1 none
    TNewFile Result;
    int Calls;
  };
  const TCase cases[] = {
      {"the first name is free", 0, -1, TNewFile::Made, 1},
      {"three names taken", 3, -1, TNewFile::Made, 4},
      {"the last name tried is free", NewFileAttempts - 1, -1, TNewFile::Made, NewFileAttempts},
      {"every name taken", NewFileAttempts + 5, -1, TNewFile::Taken, NewFileAttempts},
      {"a failure after two taken", 2, 2, TNewFile::Failed, 3},
  };
  for (const TCase& c : cases) {
    std::vector<int> attempts;
    const TNewFile result = MakeNewFile([&](int attempt) {
      attempts.push_back(attempt);
      return attempt == c.FailsAt     ? TNewFile::Failed
             : attempt < c.TakenNames ? TNewFile::Taken
                                      : TNewFile::Made;
    });
    EXPECT_EQ(result, c.Result) << c.What;
    ASSERT_EQ(static_cast<int>(attempts.size()), c.Calls) << c.What;
    for (int k = 0; k < c.Calls; ++k)
      EXPECT_EQ(attempts[k], k) << c.What;
  }
}
