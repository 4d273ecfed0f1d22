#include "engine/widename_windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

bool WideName(const std::string& name, std::wstring& wide)
{
  wide.clear();
  if (name.empty())
    return true;
  const int length = static_cast<int>(name.size());
  const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), length,
                                        nullptr, 0);
  if (count <= 0)
    return false;
  wide.resize(static_cast<size_t>(count));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), length, &wide[0],
                             count) == count;
}

std::string Utf8Name(const std::wstring& wide)
{
  if (wide.empty())
    return {};
  const int length = static_cast<int>(wide.size());
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr,
                                        nullptr);
  if (count <= 0)
    return {};
  std::string name(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, &name[0], count, nullptr, nullptr);
  return name;
}

std::string SystemReason(unsigned long code)
{
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length > 0 && text ? std::wstring(text, length) : std::wstring();
  if (text)
    LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' ||
                           wide.back() == L'.'))
    wide.pop_back();
  return wide.empty() ? "error " + std::to_string(code) : Utf8Name(wide);
}
