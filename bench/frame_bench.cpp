// Measures the demo's costs headless: the start-up (terrains, the whole
// start-up) and the time to draw frames of each scene, including the
// read-back a capture needs. Usage: mvrk_bench CONTENT_DIR [FRAMES_PER_SCENE]
// [SLOT]. With LP_NUM_THREADS=0 Mesa rasterizes on the calling thread, which
// makes CPU times comparable between runs on a busy machine.
#include "engine/assets.h"
#include "engine/framebuffer.h"
#include "engine/headless.h"
#include "host/timeline.h"

#include <GL/gl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// CPU time of the whole process, the GL driver's threads included: steadier
// than wall time on a loaded machine.
double CpuSeconds()
{
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CONTENT_DIR [FRAMES_PER_SCENE] [SLOT]\n", argv[0]);
    return 2;
  }
  const int frames = argc > 2 ? std::atoi(argv[2]) : 20;
  const int only = argc > 3 ? std::atoi(argv[3]) : -1;
  if (::chdir(argv[1]) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", argv[1]);
    return 1;
  }
  MaskFloatingPointExceptions();
  std::string error;
  if (!CreateHeadlessContext(error)) {
    std::fprintf(stderr, "no headless GL context: %s\n", error.c_str());
    return 1;
  }

  // The terrains alone, on a scratch mesh, with the generator put back after.
  const uint32_t seed = RandomSeed;
  auto started = std::chrono::steady_clock::now();
  TGeoxData scratch;
  for (int m = 0; m < TerrainCount; ++m)
    BuildTerrain(scratch, m);
  std::printf("terrains and their normals: %.3f s\n", Seconds(started));
  RandomSeed = seed;

  started = std::chrono::steady_clock::now();
  SetupViewport(FrameWidth, FrameHeight);
  TScriptedClock clock;
  InitDemo(clock, [] {});
  glFinish();
  std::printf("whole start-up (InitDemo): %.3f s\n", Seconds(started));

  std::vector<uint8_t> pixels;
  std::printf("%-8s %10s %10s %12s\n", "slot", "ms/frame", "fps", "cpu ms/frame");
  for (int slot = 0; slot < 13; ++slot) {
    if (only >= 0 && slot != only)
      continue;
    const mve_genericscene& scene = *SceneTable[slot];
    const int32_t first = scene.StartTime + (scene.EndTime - scene.StartTime) / 3;
    started = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    for (int k = 0; k < frames; ++k) {
      const int32_t t = first + 20 * k;
      clock.Script({t, t + 20});
      DrawFrame(clock);
      ReadFramePixels(pixels);
    }
    const double ms = Seconds(started) * 1000 / frames;
    std::printf("%-8d %10.1f %10.1f %12.1f\n", slot, ms, 1000 / ms,
                (CpuSeconds() - cpu) * 1000 / frames);
  }
  return 0;
}
