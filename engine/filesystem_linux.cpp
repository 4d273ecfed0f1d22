#include "engine/filesystem.h"

#include "engine/paths.h"

#include <dirent.h>
#include <sys/stat.h>

bool PathExists(const std::string& path)
{
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool FindEntryCaseless(const std::string& dir, const std::string& name, std::string& found)
{
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d)
    return false;
  bool ok = false;
  while (dirent* e = ::readdir(d)) {
    if (EqualIgnoringAsciiCase(e->d_name, name)) {
      found = e->d_name;
      ok = true;
      break;
    }
  }
  ::closedir(d);
  return ok;
}

FILE* OpenFile(const std::string& path, const char* mode)
{
  return std::fopen(path.c_str(), mode);
}
