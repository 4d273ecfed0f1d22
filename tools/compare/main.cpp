// Compares two folders of PNG frames, such as the fast and the reference
// path's captures of the same times: for each frame of the first folder, the
// frame of the same name in the second; prints each frame's mean difference,
// share of pixels off by more than 16 and worst pixel, then a summary.
// Status 0 when every frame is within the tolerance (tools/compare/
// difference.h), 1 when one is past it or a frame is missing, unreadable or
// of another size, 2 on a bad command line.
// Usage: mvrk_compare FOLDER_A FOLDER_B
#include "tools/compare/difference.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "usage: mvrk_compare FOLDER_A FOLDER_B\n"
    "Compares every PNG frame of FOLDER_A with the one of the same name in\n"
    "FOLDER_B and fails when one differs by more than the tolerance: a mean of\n"
    "0.5/255 per channel, or 0.05% of the pixels with a channel off by more\n"
    "than 16/255.\n";

// The frame in a PNG file, or false with the file's name and the reason.
bool ReadFrame(const std::filesystem::path& file, int& width, int& height, std::vector<uint8_t>& rgb,
               std::string& error)
{
  std::error_code missing;
  if (!std::filesystem::exists(file, missing) && !missing) {
    error = file.string() + ": missing, no frame of that name";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = file.string() + ": cannot be read";
    return false;
  }
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    error = file.string() + ": cannot be read";
    return false;
  }
  if (!DecodePng(bytes.data(), bytes.size(), width, height, rgb, error)) {
    error = file.string() + ": " + error;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "mvrk_compare: give two folders\n%s", Usage);
    return 2;
  }
  const std::filesystem::path first = argv[1];
  const std::filesystem::path second = argv[2];
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(first, ec))
    if (entry.path().extension() == ".png")
      names.push_back(entry.path().filename().string());
  if (ec) {
    std::fprintf(stderr, "mvrk_compare: %s: %s\n", first.string().c_str(), ec.message().c_str());
    return 1;
  }
  if (names.empty()) {
    std::fprintf(stderr, "mvrk_compare: %s: no PNG frames\n", first.string().c_str());
    return 1;
  }
  std::sort(names.begin(), names.end());

  int past = 0;
  int failed = 0;
  double meanSum = 0;
  TFrameDifference largestMean, largestShare, worst;
  std::string largestMeanName, largestShareName, worstName;
  for (const std::string& name : names) {
    int wa = 0, ha = 0, wb = 0, hb = 0;
    std::vector<uint8_t> a, b;
    std::string error;
    if (!ReadFrame(first / name, wa, ha, a, error) || !ReadFrame(second / name, wb, hb, b, error)) {
      std::fprintf(stderr, "mvrk_compare: %s\n", error.c_str());
      ++failed;
      continue;
    }
    if (wa != wb || ha != hb) {
      std::fprintf(stderr, "mvrk_compare: %s: %dx%d in %s, %dx%d in %s\n", name.c_str(), wa, ha,
                   first.string().c_str(), wb, hb, second.string().c_str());
      ++failed;
      continue;
    }
    const TFrameDifference d = CompareFrames(a.data(), b.data(), wa, ha);
    const bool within = WithinTolerance(d);
    past += within ? 0 : 1;
    std::printf("%s mean %.4f over16 %.4f%% worst %d at (%d, %d)%s\n", name.c_str(), d.Mean,
                100 * d.ShareOver16, d.Worst, d.WorstX, d.WorstY, within ? "" : " PAST THE TOLERANCE");
    meanSum += d.Mean;
    if (largestMeanName.empty() || d.Mean > largestMean.Mean) {
      largestMean = d;
      largestMeanName = name;
    }
    if (largestShareName.empty() || d.ShareOver16 > largestShare.ShareOver16) {
      largestShare = d;
      largestShareName = name;
    }
    if (worstName.empty() || d.Worst > worst.Worst) {
      worst = d;
      worstName = name;
    }
  }
  const int compared = static_cast<int>(names.size()) - failed;
  if (compared > 0)
    std::printf("%d frames: mean %.4f, largest mean %.4f (%s), largest share over 16 %.4f%% (%s), "
                "worst pixel %d (%s)\n",
                compared, meanSum / compared, largestMean.Mean, largestMeanName.c_str(),
                100 * largestShare.ShareOver16, largestShareName.c_str(), worst.Worst, worstName.c_str());
  if (failed > 0)
    std::printf("%d frames could not be compared\n", failed);
  std::printf("%s\n", past == 0 && failed == 0 ? "all within the tolerance"
                                               : (std::to_string(past) + " frames past the tolerance").c_str());
  return past == 0 && failed == 0 ? 0 : 1;
}
