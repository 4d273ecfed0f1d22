// Whole-or-nothing saving on Windows: the bytes go to a temporary beside the
// target, are flushed to the disk (FlushFileBuffers) and the temporary is
// moved over the target with MoveFileExW, replacing it and writing through;
// a plain rename fails there when the target exists. Names are UTF-8.
#include "engine/savefile.h"

#include "engine/widename_windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>

namespace {

bool Fail(std::string& error, DWORD code)
{
  error = SystemReason(code);
  return false;
}

// A folder cannot be replaced by a file; said as on Linux.
bool FailOnFolder(std::string& error)
{
  error = std::strerror(EISDIR);
  return false;
}

// All the bytes, in calls of at most 1 GiB (WriteFile takes a DWORD count).
bool WriteHandle(HANDLE file, const void* data, size_t size)
{
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr))
      return false;
    bytes += written;
    size -= written;
  }
  return true;
}

// Devices (NUL, CON, a pipe) take the bytes directly: there is no file to
// replace.
bool WriteInPlace(HANDLE device, const void* data, size_t size, std::string& error)
{
  const bool written = WriteHandle(device, data, size);
  const DWORD code = GetLastError();
  CloseHandle(device);
  return written ? true : Fail(error, code);
}

}  // namespace

// The bytes go through the descriptor's system handle, as they are.
bool WriteAllBytes(int fd, const void* data, size_t size)
{
  const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (file == INVALID_HANDLE_VALUE)
    return false;  // errno is EBADF
  if (WriteHandle(file, data, size))
    return true;
  errno = EIO;
  return false;
}

bool FollowLinks(const std::string& path, std::string& target, std::string&)
{
  target = path;
  return true;
}

bool ReplaceFileBytes(const std::string& path, const void* data, size_t size, std::string& error)
{
  std::wstring target;
  if (!WideName(path, target) || target.empty()) {
    error = "the name is not valid UTF-8";
    return false;
  }
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FailOnFolder(error);
  HANDLE existing = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    if (GetFileType(existing) != FILE_TYPE_DISK)
      return WriteInPlace(existing, data, size, error);
    CloseHandle(existing);
  }

  const size_t slash = target.find_last_of(L"/\\");
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  const std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
  if (name.empty())
    return FailOnFolder(error);

  // CREATE_NEW makes the name ours.
  static unsigned counter = 0;
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD code = 0;
  const TNewFile made = MakeNewFile([&](int) {
    temporary = folder + L"." + name + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                std::to_wstring(counter++) + L".part";
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    code = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return file != INVALID_HANDLE_VALUE ? TNewFile::Made
           : code == ERROR_FILE_EXISTS  ? TNewFile::Taken
                                        : TNewFile::Failed;
  });
  if (made != TNewFile::Made)
    return Fail(error, code);

  bool ok = WriteHandle(file, data, size) && FlushFileBuffers(file);
  code = ok ? 0 : GetLastError();
  if (!CloseHandle(file) && ok) {
    ok = false;
    code = GetLastError();
  }
  if (ok && !MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    code = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temporary.c_str());
    return Fail(error, code);
  }
  return true;
}
