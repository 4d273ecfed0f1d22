#include "engine/paths.h"

#include "engine/filesystem.h"
#include "engine/savefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string ContentRoot;  // "" or a folder ending in "/"; written by SetContentRoot

}  // namespace

void SetContentRoot(const std::string& root)
{
  ContentRoot = root == "." ? "" : root;
  if (!ContentRoot.empty() && ContentRoot.back() != '/')
    ContentRoot += '/';
}

std::string ResolvePath(const std::string& name)
{
  std::string path = name;
  for (char& c : path)
    if (c == '\\')
      c = '/';

  std::string resolved = ContentRoot;
  size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos)
      slash = path.size();
    std::string component = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty())
      continue;
    std::string candidate = resolved + component;
    if (!PathExists(candidate) && component != "." && component != "..") {
      std::string found;
      if (FindEntryCaseless(resolved, component, found))
        candidate = resolved + found;
    }
    resolved = candidate;
    if (slash < path.size())
      resolved += '/';
  }
  return resolved;
}

namespace {

char UpperCaseAscii(char c)
{
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string UpperCaseAscii(std::string name)
{
  for (char& c : name)
    c = UpperCaseAscii(c);
  return name;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperCaseAscii(a[i]) != UpperCaseAscii(b[i]))
      return false;
  return true;
}

bool ReadFileBytes(const std::string& name, std::vector<uint8_t>& bytes, std::string& error)
{
  const std::string path = ResolvePath(name);
  FILE* f = OpenFile(path, "rb");
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  bytes.clear();
  uint8_t chunk[65536];
  for (;;) {
    size_t n = std::fread(chunk, 1, sizeof chunk, f);
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (n < sizeof chunk)
      break;
  }
  bool failed = std::ferror(f) != 0;
  int readErrno = errno;
  std::fclose(f);
  if (failed) {
    error = std::string("read error: ") + std::strerror(readErrno);
    return false;
  }
  return true;
}

bool WriteFileBytes(const std::string& name, const void* data, size_t size, std::string& error)
{
  return ReplaceFileBytes(ResolvePath(name), data, size, error);
}
