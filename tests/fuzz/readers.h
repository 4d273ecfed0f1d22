// Every file reader of the program as one function of raw bytes, for the
// fuzz targets and for the suite that replays the inputs they found. Each
// function parses the bytes and, when the parse succeeds, does the work that
// reads the parsed data (sampling a path, computing normals, applying a map).
// None touches GL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TFuzzReader {
  const char* Name;       // target name: fuzz_<Name>, corpus and findings folders
  const char* Extension;  // generated content files that seed its corpus
  // True when the bytes parse; false with a reason when the reader refuses them.
  bool (*Read)(const uint8_t* bytes, size_t size, std::string& error);
};

extern const TFuzzReader FuzzReaders[];
extern const size_t FuzzReaderCount;

// The reader named name, or nullptr.
const TFuzzReader* FindFuzzReader(const char* name);
