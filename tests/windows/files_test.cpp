// The Windows modules of the file system and of whole-or-nothing saving, run
// under Wine by tests/windows/wine_test.sh in an empty working directory:
// UTF-8 names through the wide API, a file replaced over an existing one
// (where a plain rename fails), and the failures that keep the target as it
// was and say why. Prints one line per case; status 1 when one fails.
#include "engine/filesystem.h"
#include "engine/paths.h"
#include "engine/savefile.h"
#include "engine/widename_windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int Failures = 0;

void Check(bool ok, const std::string& what)
{
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok)
    ++Failures;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
  return std::vector<uint8_t>(text.begin(), text.end());
}

bool Save(const std::string& name, const std::string& text, std::string& error)
{
  return ReplaceFileBytes(name, text.data(), text.size(), error);
}

bool Holds(const std::string& name, const std::string& text)
{
  std::vector<uint8_t> bytes;
  std::string error;
  return ReadFileBytes(name, bytes, error) && bytes == Bytes(text);
}

// The names in the folder, through the system's own wide listing.
std::vector<std::wstring> Listing(const std::wstring& folder)
{
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

}  // namespace

int main()
{
  // "tëst-ü€.bin" and its folder "dïr", spelled once in UTF-8 and once in
  // UTF-16 for the system's own calls.
  const std::string folder = "d\xc3\xafr";
  const std::wstring wideFolder = L"d\u00efr";
  const std::string name = folder + "/t\xc3\xabst-\xc3\xbc\xe2\x82\xac.bin";
  const std::wstring wideLeaf = L"t\u00ebst-\u00fc\u20ac.bin";
  CreateDirectoryW(wideFolder.c_str(), nullptr);
  std::string error;

  bool ok = Save(name, "first", error) && Holds(name, "first");
  Check(ok, "a UTF-8 name is created and read back (" + error + ")");
  Check(Listing(wideFolder) == std::vector<std::wstring>{wideLeaf},
        "the system lists the file under its UTF-16 name, and nothing beside it");
  std::string found;
  Check(FindEntryCaseless(folder + "/", "T\xc3\xabST-\xc3\xbc\xe2\x82\xac.BIN", found) &&
            found == name.substr(folder.size() + 1),
        "the folder's entry is found without regard to the case of the ASCII letters");

  ok = Save(name, "second, longer", error) && Holds(name, "second, longer");
  Check(ok, "an existing file is replaced whole (" + error + ")");
  Check(Listing(wideFolder).size() == 1, "no temporary is left beside it");
  Check(Holds("D\xc3\xafR\\t\xc3\xabst-\xc3\xbc\xe2\x82\xac.bin", "second, longer"),
        "a name with backslashes and another case reads the same file");

  struct TFailure {
    const char* What;
    std::string Target;
    std::function<void()> Prepare;
    std::vector<std::string> Reasons;  // the error is one of them, whole
  };
  // Open elsewhere without sharing, as an editor or a viewer may hold it.
  const std::wstring wideHeld = wideFolder + L"\\held.bin";
  HANDLE held = INVALID_HANDLE_VALUE;
  const std::vector<TFailure> failures = {
      {"a folder as the target", folder, [] {}, {"Is a directory"}},
      {"a target in a missing folder", "missing/file.bin", [] {},
       {SystemReason(ERROR_PATH_NOT_FOUND)}},
      {"a target held open without sharing", folder + "/held.bin",
       [&] {
         std::string ignored;
         Save(folder + "/held.bin", "kept", ignored);
         held = CreateFileW(wideHeld.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       // Refused as a sharing violation or as access denied (so Wine does).
       {SystemReason(ERROR_SHARING_VIOLATION), SystemReason(ERROR_ACCESS_DENIED)}},
      {"a name that is not UTF-8", folder + "/bad\xff.bin", [] {}, {"the name is not valid UTF-8"}},
  };
  for (const TFailure& failure : failures) {
    failure.Prepare();
    const size_t before = Listing(wideFolder).size();
    error.clear();
    const bool saved = Save(failure.Target, "new", error);
    bool named = false;
    for (const std::string& reason : failure.Reasons)
      named = named || error == reason;
    Check(!saved && named,
          std::string(failure.What) + " fails and says why (\"" + error + "\")");
    Check(Listing(wideFolder).size() == before, std::string(failure.What) + " leaves nothing new");
  }
  CloseHandle(held);
  Check(Holds(folder + "/held.bin", "kept"), "the held target keeps its bytes");

  std::vector<uint8_t> bytes;
  ok = !ReadFileBytes(folder + "/none.bin", bytes, error) && error == "No such file or directory";
  Check(ok, "a missing file reads as \"No such file or directory\" (\"" + error + "\")");

  std::printf("%s\n", Failures == 0 ? "all passed" : "some failed");
  return Failures == 0 ? 0 : 1;
}
