#include "engine/savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

bool WriteAllBytes(int fd, const void* data, size_t size)
{
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

namespace {

// As many links in a row as the system itself follows.
constexpr int MostLinks = 40;

bool Fail(std::string& error, int code)
{
  error = std::strerror(code);
  return false;
}

// The folder part of path with its slash, "" for a name in the working
// directory.
std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// What a link holds, or false with errno set.
bool ReadLink(const std::string& path, std::string& text)
{
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0)
      return false;
    if (static_cast<size_t>(length) < buffer.size()) {
      text.assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

enum class TInPlace { Written, Failed, RegularFile };

// Devices and pipes take the bytes directly: there is no file to replace, and
// nothing truncates them. A name that has turned into a regular file since
// it was looked at is left alone for the caller to replace.
TInPlace WriteInPlace(const std::string& path, const void* data, size_t size, std::string& error)
{
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    Fail(error, errno);
    return TInPlace::Failed;
  }
  struct stat state;
  if (::fstat(fd, &state) == 0 && S_ISREG(state.st_mode)) {
    ::close(fd);
    return TInPlace::RegularFile;
  }
  const bool written = WriteAllBytes(fd, data, size);
  const int code = errno;
  if (::close(fd) != 0 && written) {
    Fail(error, errno);
    return TInPlace::Failed;
  }
  if (!written) {
    Fail(error, code);
    return TInPlace::Failed;
  }
  return TInPlace::Written;
}

// The temporary beside path, flushed and renamed over it; an old file's mode,
// owner and group carried over.
bool ReplaceThroughTemporary(const std::string& path, const struct stat* old, const void* data,
                             size_t size, std::string& error)
{
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  if (name.empty())
    return Fail(error, EISDIR);

  // O_EXCL makes the name ours.
  static unsigned counter = 0;
  std::string temporary;
  int fd = -1;
  const TNewFile made = MakeNewFile([&](int) {
    temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                std::to_string(counter++) + ".part";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd >= 0 ? TNewFile::Made : errno == EEXIST ? TNewFile::Taken : TNewFile::Failed;
  });
  if (made != TNewFile::Made)
    return Fail(error, made == TNewFile::Taken ? EEXIST : errno);

  bool ok = true;
  int code = 0;
  if (old) {
    // The owner first: changing it clears the set-id bits that the mode
    // then puts back. Only a privileged process may give a file away.
    if (old->st_uid != ::geteuid() || old->st_gid != ::getegid())
      (void)::fchown(fd, old->st_uid, old->st_gid);
    if (::fchmod(fd, old->st_mode & 07777) != 0) {
      ok = false;
      code = errno;
    }
  }
  if (ok && !(WriteAllBytes(fd, data, size) && ::fsync(fd) == 0)) {
    ok = false;
    code = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return Fail(error, code);
  }
  return true;
}

}  // namespace

bool FollowLinks(const std::string& given, std::string& target, std::string& error)
{
  std::string path = given;
  for (int links = 0;; ++links) {
    struct stat state;
    if (::lstat(path.c_str(), &state) != 0 || !S_ISLNK(state.st_mode)) {
      target = path;
      return true;
    }
    if (links == MostLinks)
      return Fail(error, ELOOP);
    std::string text;
    if (!ReadLink(path, text))
      return Fail(error, errno);
    path = !text.empty() && text[0] == '/' ? text : FolderOf(path) + text;
  }
}

bool ReplaceFileBytes(const std::string& given, const void* data, size_t size, std::string& error)
{
  std::string path;
  if (!FollowLinks(given, path, error))
    return false;
  struct stat old;
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode))
    return Fail(error, EISDIR);
  if (exists && !S_ISREG(old.st_mode)) {
    const TInPlace written = WriteInPlace(path, data, size, error);
    if (written != TInPlace::RegularFile)
      return written == TInPlace::Written;
    if (::stat(path.c_str(), &old) != 0)
      return Fail(error, errno);
  }
  return ReplaceThroughTemporary(path, exists ? &old : nullptr, data, size, error);
}
