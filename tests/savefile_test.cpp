#include "engine/savefile.h"

#include "engine/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>
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
