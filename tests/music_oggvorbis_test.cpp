#include "tools/music/oggvorbis.h"

#include "engine/numbers.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace {

TEST(MusicOggVorbis, RoundTripKeepsFormatLengthAndSignal)
{
  TTempDir dir;
  const size_t frames = 44100 * 2;
  std::vector<float> stereo(2 * frames);
  for (size_t i = 0; i < frames; ++i) {
    stereo[2 * i] = 0.5f * static_cast<float>(std::sin(2 * Pi * 440 * i / 44100.0));
    stereo[2 * i + 1] = 0.25f * static_cast<float>(std::sin(2 * Pi * 660 * i / 44100.0));
  }
  double lastProgress = -1;
  const std::string path = dir.File("tone.ogg");
  ASSERT_EQ(WriteOggVorbis(path, stereo, 44100, 0.5f,
                           [&](double p) {
                             EXPECT_GE(p, lastProgress);
                             lastProgress = p;
                           }),
            "");
  EXPECT_EQ(lastProgress, 1.0);

  TDecodedAudio audio;
  ASSERT_EQ(ReadOggVorbis(path, audio), "");
  EXPECT_EQ(audio.Rate, 44100);
  EXPECT_EQ(audio.Channels, 2);
  ASSERT_EQ(audio.Samples.size(), stereo.size());
  // Lossy, but close: compare energies and the difference per channel.
  for (int c = 0; c < 2; ++c) {
    double signal = 0, error = 0;
    for (size_t i = c; i < stereo.size(); i += 2) {
      signal += double(stereo[i]) * stereo[i];
      const double d = audio.Samples[i] - stereo[i];
      error += d * d;
    }
    EXPECT_LT(10 * std::log10(error / signal), -20.0) << "channel " << c;
  }
}

TEST(MusicOggVorbis, RejectsWhatIsNotAWholeStream)
{
  TTempDir dir;
  const size_t frames = 44100;
  std::vector<float> stereo(2 * frames, 0.0f);
  for (size_t i = 0; i < frames; ++i)
    stereo[2 * i] = stereo[2 * i + 1] =
        0.3f * static_cast<float>(std::sin(2 * Pi * 220 * i / 44100.0));
  const std::string path = dir.File("tone.ogg");
  ASSERT_EQ(WriteOggVorbis(path, stereo, 44100, 0.5f, [](double) {}), "");
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 200u);

  std::vector<uint8_t> garbage(4096);
  for (size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<uint8_t>(i * 131 + 7);
  std::vector<uint8_t> damagedHeader = bytes;
  for (size_t i = 28; i < 60; ++i)
    damagedHeader[i] ^= 0x5a;
  struct TCase {
    const char* name;
    std::vector<uint8_t> data;
  };
  const TCase cases[] = {
      {"empty", {}},
      {"garbage", garbage},
      {"only the first 100 bytes", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100)},
      {"damaged identification header", damagedHeader},
  };
  for (const TCase& c : cases) {
    TDecodedAudio audio;
    EXPECT_NE(DecodeOggVorbis(c.data.data(), c.data.size(), audio), "") << c.name;
  }
  TDecodedAudio audio;
  EXPECT_NE(ReadOggVorbis(dir.File("missing.ogg"), audio), "");
}

}  // namespace
