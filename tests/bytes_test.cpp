#include "engine/bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

// The binary files' byte order, pinned down with literal bytes: the readers,
// the content generator and the test fixtures all go through these functions,
// so a mistake here would otherwise agree with itself.
TEST(LittleEndian, ValuesReadAndWriteAsTheirFileBytes)
{
  using TBytes = std::array<uint8_t, 4>;
  const struct {
    TBytes bytes;
    int32_t value;
  } integers[] = {
      {{0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {{0xfe, 0xff, 0xff, 0xff}, -2},
      {{0x00, 0x00, 0x00, 0x80}, INT32_MIN},
  };
  for (const auto& c : integers) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ReadI32(c.bytes.data()), c.value);
    std::vector<uint8_t> out = {0xaa};
    AppendI32(out, c.value);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xaa, c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]}));
  }

  const struct {
    TBytes bytes;
    float value;
  } floats[] = {
      {{0x00, 0x00, 0x80, 0x3f}, 1.0f},
      {{0x00, 0x00, 0x20, 0xc0}, -2.5f},
      {{0x00, 0x00, 0x80, 0x3e}, 0.25f},
  };
  for (const auto& c : floats) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ReadF32(c.bytes.data()), c.value);
    std::vector<uint8_t> out;
    AppendF32(out, c.value);
    EXPECT_EQ(out, std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
  }
}
