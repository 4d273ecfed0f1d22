#include "engine/filesystem.h"

#include "engine/paths.h"
#include "engine/widename_windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cerrno>
#include <cstring>

bool PathExists(const std::string& path)
{
  std::wstring wide;
  return WideName(path, wide) && !wide.empty() &&
         GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FindEntryCaseless(const std::string& dir, const std::string& name, std::string& found)
{
  std::wstring pattern;
  if (!WideName(dir + "*", pattern))
    return false;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE)
    return false;
  bool ok = false;
  do {
    const std::string entryName = Utf8Name(entry.cFileName);
    if (EqualIgnoringAsciiCase(entryName, name)) {
      found = entryName;
      ok = true;
      break;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return ok;
}

FILE* OpenFile(const std::string& path, const char* mode)
{
  std::wstring widePath;
  std::wstring wideMode;
  if (!WideName(path, widePath) || !WideName(mode, wideMode)) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfopen(widePath.c_str(), wideMode.c_str());
}
