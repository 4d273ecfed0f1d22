// One libFuzzer target per reader: CMake compiles this file once per entry of
// FuzzReaders, naming the entry in MVRK_FUZZ_READER.
#include "tests/fuzz/readers.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
  static const TFuzzReader* reader = FindFuzzReader(MVRK_FUZZ_READER);
  if (reader == nullptr) {
    std::fprintf(stderr, "no reader named %s\n", MVRK_FUZZ_READER);
    std::abort();
  }
  std::string error;
  reader->Read(bytes, size, error);
  return 0;
}
