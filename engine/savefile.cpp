#include "engine/savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool Fail(std::string& error, int code)
{
  error = std::strerror(code);
  return false;
}

// Devices and pipes take the bytes directly: there is no file to replace.
bool WriteInPlace(const std::string& path, const void* data, size_t size, std::string& error)
{
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0)
    return Fail(error, errno);
  const bool written = WriteAllBytes(fd, data, size);
  const int code = errno;
  if (::close(fd) != 0 && written)
    return Fail(error, errno);
  return written ? true : Fail(error, code);
}

}  // namespace

bool ReplaceFileBytes(const std::string& given, const void* data, size_t size, std::string& error)
{
  // A link to a file keeps being a link: the file it names is replaced.
  std::string path = given;
  struct stat link;
  if (::lstat(given.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* real = ::realpath(given.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  struct stat target;
  if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    if (S_ISDIR(target.st_mode))
      return Fail(error, EISDIR);
    return WriteInPlace(path, data, size, error);
  }
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty())
    return Fail(error, EISDIR);

  // O_EXCL makes the name ours; the mode honours the umask like any new file.
  static unsigned counter = 0;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                std::to_string(counter++) + ".part";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      return Fail(error, errno);
  }
  if (fd < 0)
    return Fail(error, EEXIST);

  bool ok = WriteAllBytes(fd, data, size) && ::fsync(fd) == 0;
  int code = errno;
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
