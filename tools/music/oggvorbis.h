// Ogg Vorbis in and out, through libvorbisenc and libvorbisfile. Samples are
// interleaved floats in [-1, 1].
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TDecodedAudio {
  int Rate = 0;
  int Channels = 0;
  std::vector<float> Samples;  // interleaved
  double Seconds() const;
};

// Encodes stereo at the given rate with variable bit rate at the given
// quality (-0.1 to 1), in memory, then writes the file whole or not at all
// (ReplaceFileBytes). Returns an empty string on success, otherwise the
// system's reason. progress receives the fraction done now and then.
std::string WriteOggVorbis(const std::string& path,
                           const std::vector<float>& stereo, int rate,
                           float quality,
                           const std::function<void(double)>& progress);

// Decodes a whole Ogg Vorbis file held in memory. Returns an empty string on
// success, otherwise the reason.
std::string DecodeOggVorbis(const uint8_t* data, size_t size,
                            TDecodedAudio& audio);

// Reads the file and decodes it.
std::string ReadOggVorbis(const std::string& path, TDecodedAudio& audio);
