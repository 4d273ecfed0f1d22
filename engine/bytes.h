// Little-endian 32-bit values, the byte order of the program's binary files
// (".geox", ".camera"), read from and written to byte buffers whatever the
// machine's own order. Floats travel as their IEEE-754 bits, unchanged.
// Header-only and without dependencies, so the content generator and the
// tests write the files with the same rule the readers use.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline uint32_t ReadU32(const uint8_t* p)
{
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline int32_t ReadI32(const uint8_t* p)
{
  return static_cast<int32_t>(ReadU32(p));
}

inline float ReadF32(const uint8_t* p)
{
  const uint32_t bits = ReadU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void WriteU32(uint8_t* p, uint32_t value)
{
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}

inline void WriteF32(uint8_t* p, float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteU32(p, bits);
}

// Appends the four bytes of value to out.
inline void AppendI32(std::vector<uint8_t>& out, int32_t value)
{
  uint8_t bytes[4];
  WriteU32(bytes, static_cast<uint32_t>(value));
  out.insert(out.end(), bytes, bytes + 4);
}

inline void AppendF32(std::vector<uint8_t>& out, float value)
{
  uint8_t bytes[4];
  WriteF32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}
