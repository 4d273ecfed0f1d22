// mvrk_content OUTDIR: writes the demo's whole data tree (every image, model,
// list, texture map, camera path and the font) into OUTDIR. The output is the
// same, byte for byte, on every run.
#include "tools/content/camerapaths.h"
#include "tools/content/city.h"
#include "tools/content/figures.h"
#include "tools/content/font.h"
#include "tools/content/images.h"
#include "tools/content/shapes.h"
#include "tools/content/writers.h"
#include "tools/usage.h"

#include <chrono>
#include <cstdio>
#include <functional>

int main(int argc, char** argv)
{
  SetOutputRoot(OnePathArgument(argc, argv,
                                "usage: mvrk_content OUTDIR\n"
                                "Writes every image, model, list, map, camera path and the font\n"
                                "the demo reads (all but the soundtrack) into OUTDIR.\n"));
  const auto start = std::chrono::steady_clock::now();
  auto step = [&](const char* what, const std::function<int()>& run) {
    std::printf("%-28s", what);
    std::fflush(stdout);
    const int count = run();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%4d files  %6.2f s\n", count, seconds);
  };
  step("images", WriteImages);
  step("font", [] {
    WriteFont();
    return 1;
  });
  step("city models", WriteCity);
  step("figures and kuba", WriteFigures);
  step("sky, cage, corridor, blobs", WriteShapes);
  step("camera paths", WriteCameraPaths);
  return 0;
}
