#include "engine/paths.h"

#include <gtest/gtest.h>

// Names compare without regard to the case of A to Z only: other bytes,
// UTF-8 letters among them, must be equal as they are.
TEST(AsciiCase, FoldsOnlyTheAsciiLetters)
{
  struct TCase {
    const char* A;
    const char* B;
    bool Equal;
  };
  const TCase cases[] = {
      {"data", "DATA", true},
      {"Envglobal.JPG", "envGLOBAL.jpg", true},
      {"", "", true},
      {"clip.MP4", "clip.mp4", true},
      {"data", "dat", false},
      {"a@", "A`", false},  // '@' and '`' sit next to 'A' and 'a' but are no letters
      {"[", "{", false},
      {"\xc3\xa9", "\xc3\x89", false},  // é and É: not ASCII, compared as they are
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9T\xc3\xa9", true},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(EqualIgnoringAsciiCase(c.A, c.B), c.Equal) << c.A << " ~ " << c.B;
    EXPECT_EQ(EqualIgnoringAsciiCase(c.B, c.A), c.Equal) << c.B << " ~ " << c.A;
  }
  EXPECT_EQ(UpperCaseAscii("city\\envGlobal.jpg\xc3\xa9"), "CITY\\ENVGLOBAL.JPG\xc3\xa9");
}
