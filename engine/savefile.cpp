#include "engine/savefile.h"

TNewFile MakeNewFile(const std::function<TNewFile(int attempt)>& make)
{
  TNewFile result = TNewFile::Taken;
  for (int attempt = 0; result == TNewFile::Taken && attempt < NewFileAttempts; ++attempt)
    result = make(attempt);
  return result;
}
