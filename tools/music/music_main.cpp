// mvrk_music OUTFILE: composes the soundtrack, renders it and writes it as
// Ogg Vorbis (stereo, 44100 Hz). Every run writes the same samples.
#include "tools/music/dsp.h"
#include "tools/music/mix.h"
#include "tools/music/oggvorbis.h"
#include "tools/music/score.h"
#include "tools/usage.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Prints "label NN%" whenever another tenth is done.
struct TProgress {
  const char* Label;
  int Shown = -1;
  void operator()(double fraction)
  {
    const int tenth = static_cast<int>(fraction * 10.0 + 1e-9);
    if (tenth == Shown)
      return;
    Shown = tenth;
    std::printf("%s %3d%%\n", Label, tenth * 10);
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv)
{
  const char* outFile = OnePathArgument(argc, argv,
                                        "usage: mvrk_music OUTFILE\n"
                                        "Composes the soundtrack and encodes it as Ogg Vorbis.\n");
  const auto begin = std::chrono::steady_clock::now();
  const std::vector<TNote> notes = ComposeScore();
  std::printf("composed %zu notes, %.1f s\n", notes.size(), PieceLength);

  TProgress rendering{"rendering"};
  const std::vector<float> mix =
      RenderMix(notes, PieceLength, FadeStart, FadeEnd, std::ref(rendering));
  float peak = 0;
  for (float x : mix)
    peak = std::max(peak, std::fabs(x));
  std::printf("mix peak %.2f dBFS\n", 20.0 * std::log10(peak));

  TProgress encoding{"encoding"};
  const std::string error =
      WriteOggVorbis(outFile, mix, SampleRate, 0.5f, std::ref(encoding));
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s\n", outFile, error.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(
                             std::chrono::steady_clock::now() - begin)
                             .count();
  std::printf("wrote %s in %.1f s\n", outFile, seconds);
  return 0;
}
