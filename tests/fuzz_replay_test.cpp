// Replays the hand-made hostile seeds and every input the fuzzers kept
// (tests/fuzz-findings/READER/) through the same reader functions the fuzz
// targets call; the sanitizer build turns any fault back into a failure.
#include "tests/fuzz/readers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> FileBytes(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file in dir through reader; a refusal must come with a reason.
int ReplayFolder(const TFuzzReader& reader, const fs::path& dir)
{
  int count = 0;
  if (!fs::is_directory(dir))
    return count;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file())
      continue;
    SCOPED_TRACE(entry.path().string());
    const std::vector<uint8_t> bytes = FileBytes(entry.path());
    std::string error;
    if (!reader.Read(bytes.data(), bytes.size(), error)) {
      EXPECT_FALSE(error.empty()) << "refused without a reason";
    }
    ++count;
  }
  return count;
}

}  // namespace

TEST(FuzzReplay, SeedsAndFindingsAreReadOrRefusedWithAReason)
{
  const fs::path source = MVRK_SOURCE_DIR;
  for (size_t i = 0; i < FuzzReaderCount; ++i) {
    const TFuzzReader& reader = FuzzReaders[i];
    SCOPED_TRACE(reader.Name);
    // Each reader has hostile seeds; finding none means the folders moved.
    EXPECT_GT(ReplayFolder(reader, source / "tests/fuzz/seeds" / reader.Name), 0);
    ReplayFolder(reader, source / "tests/fuzz-findings" / reader.Name);
  }
}

TEST(FuzzReplay, HostileSeedsAreRefusedAndGoodOnesRead)
{
  const struct {
    const char* reader;
    std::vector<uint8_t> bytes;
    bool reads;
  } cases[] = {
      {"camera", std::vector<uint8_t>(4040, 1), false},
      {"camera", std::vector<uint8_t>(80, 0), true},
      {"geox", {1, 0, 0, 0}, false},
      {"map", {4, 2, '-', '2', '\n'}, false},
      {"map", {4}, false},
      {"list", {'a', '\n', '\n', 'b', '\n'}, false},
      {"list", {'a', '.', 'g', 'e', 'o', 'x', '\n'}, true},
      {"jpeg", {0xff, 0xd8}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reader);
    const TFuzzReader* reader = FindFuzzReader(c.reader);
    ASSERT_NE(reader, nullptr);
    std::string error;
    EXPECT_EQ(reader->Read(c.bytes.data(), c.bytes.size(), error), c.reads) << error;
  }
  EXPECT_EQ(FindFuzzReader("png"), nullptr);
}
