// Checks on the generated data tree in $MVRK_TEST_CONTENT (made once per test
// run by ctest's content fixture); without it they are skipped. Every file is
// read through the program's own readers, under the names the program uses
// (backslashes and mixed letter case).
#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/paths.h"
#include "engine/textures.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

class Content : public testing::Test {
protected:
  void SetUp() override
  {
    const char* dir = std::getenv("MVRK_TEST_CONTENT");
    if (!dir || !*dir)
      GTEST_SKIP() << "no generated content (MVRK_TEST_CONTENT is set by ctest)";
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    Previous = previous;
    ASSERT_EQ(chdir(dir), 0) << dir;
  }
  void TearDown() override
  {
    if (!Previous.empty()) {
      EXPECT_EQ(chdir(Previous.c_str()), 0);
    }
  }

private:
  std::string Previous;
};

std::vector<uint8_t> Bytes(const std::string& name)
{
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(ReadFileBytes(name, bytes, error)) << name << ": " << error;
  return bytes;
}

TGeoxFailure ReadModel(const std::string& name, TGeoxData& model, std::string& error)
{
  const std::vector<uint8_t> bytes = Bytes(name);
  if (UpperCaseAscii(name).find(".TEXTGEOX") != std::string::npos)
    return ParseTextGeoxFile(bytes.data(), bytes.size(), model, error);
  return ParseGeoxFile(bytes.data(), bytes.size(), model, error);
}

TGeoxData Model(const std::string& name)
{
  TGeoxData model;
  std::string error;
  EXPECT_EQ(ReadModel(name, model, error), TGeoxFailure::None) << name << ": " << error;
  return model;
}

// The models of one directory, read as LoadGeoxList reads them.
struct TDirectory {
  std::vector<std::string> Names;
  std::vector<std::string> Files;
  std::vector<TGeoxData> Models;
};

TDirectory Directory(const std::string& directory)
{
  TDirectory d;
  const std::vector<uint8_t> list = Bytes(directory + "geometry.list");
  std::string error;
  EXPECT_TRUE(ParseGeoxList(list.data(), list.size(), d.Files, error)) << directory << ": " << error;
  for (const std::string& file : d.Files) {
    d.Names.push_back(GeoxObjectName(file));
    d.Models.push_back(Model(directory + file));
  }
  return d;
}

struct TBox {
  float lo[3] = {1e30f, 1e30f, 1e30f};
  float hi[3] = {-1e30f, -1e30f, -1e30f};
  bool Contains(const TVector3& p) const
  {
    return p.x > lo[0] && p.x < hi[0] && p.y > lo[1] && p.y < hi[1] && p.z > lo[2] && p.z < hi[2];
  }
};

TBox Bounds(const TGeoxData& model, float scale = 1)
{
  TBox b;
  for (const GeoxVertex& v : model.Vertices) {
    const float p[3] = {v.x * scale, v.y * scale, v.z * scale};
    for (int k = 0; k < 3; ++k) {
      b.lo[k] = std::min(b.lo[k], p[k]);
      b.hi[k] = std::max(b.hi[k], p[k]);
    }
  }
  return b;
}

// Six times the signed volume enclosed by the faces: positive when a closed
// surface is wound counter-clockwise seen from outside.
double SignedVolume(const TGeoxData& model)
{
  double sum = 0;
  for (const GeoxFace& f : model.Faces) {
    const GeoxVertex &a = model.Vertices[f.a], &b = model.Vertices[f.b], &c = model.Vertices[f.c];
    sum += a.x * (double(b.y) * c.z - double(b.z) * c.y) - a.y * (double(b.x) * c.z - double(b.z) * c.x) +
           a.z * (double(b.x) * c.y - double(b.y) * c.x);
  }
  return sum;
}

// Every file asset loading reads, in its order, as the program names them.
const char* const StartupImages[] = {
    "data\\nogi.jpg",        "data\\head.jpg",        "data\\shirt.jpg",       "data\\hands.jpg",
    "data\\loop1-0.jpg",     "data\\loop1-1.jpg",     "data\\loop1-2.jpg",     "data\\loop1-3.jpg",
    "data\\loop1-4.jpg",     "data\\loop1-5.jpg",     "data\\loop2-0.jpg",     "data\\loop2-1.jpg",
    "data\\loop2-2.jpg",     "data\\loop2-3.jpg",     "data\\loop2-4.jpg",     "data\\loop3-0.jpg",
    "data\\loop3-1.jpg",     "data\\loop3-2.jpg",     "data\\loop3-3.jpg",     "data\\loop3-4.jpg",
    "data\\loop3-5.jpg",     "data\\loop3-6.jpg",     "data\\loop3-7.jpg",     "data\\loop3-8.jpg",
    "data\\loop3-9.jpg",     "data\\corridor.jpg",    "data\\kuba.jpg",        "data\\net.jpg",
    "data\\water.jpg",       "data\\sky.jpg",         "Wobbla\\wobblaenv.jpg", "Wobbla\\wobblaenvred.jpg",
    "Data\\Atom.jpg",        "city\\wall.jpg",        "city\\wallenvalpha.jpg", "data\\smog.jpg",
    "data\\smogalpha.jpg",   "data\\sun.jpg",         "City\\tube.jpg",        "City\\wall.jpg",
    "City\\side.jpg",        "City\\cave.jpg",        "City\\front.jpg",       "city\\envglobal.jpg",
    "data\\font.jpg"};

// Where a path's eye must stay: among the city's models, round the blobs,
// round kuba (drawn at 0.4), inside the corridor, or near the falling figure.
enum class TSpace { City, CityAndCage, CityBlobsAndCage, Blobs, Kuba, Corridor, Falling, Unused };

struct TPathUse {
  const char* File;
  float From, To;  // the fractions the scene samples
  TSpace Space;
};

const TPathUse PathUses[] = {
    {"data\\default.camera", 0, 0, TSpace::Unused},
    {"data\\scene_hum.camera", 0, 0.6f, TSpace::City},
    {"data\\scene_prefall0.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall1.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall2.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall3.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall4.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall5.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall6.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_prefall7.camera", 0, 0.625f, TSpace::City},
    {"data\\scene_balance.camera", 0, 1, TSpace::City},
    {"data\\scene_fall.camera", 0, 0.8f, TSpace::City},
    {"data\\scene_fallhuman.camera", 0, 0.6f, TSpace::Falling},
    {"data\\scene_water.camera", 0, 1, TSpace::City},
    {"data\\scene_wobbler0.camera", 0, 0.5f, TSpace::Blobs},
    {"data\\scene_wobbler1.camera", 0, 0.5f, TSpace::Blobs},
    {"data\\scene_wobbler2.camera", 0, 0.5f, TSpace::Blobs},
    {"data\\scene_wobbler3.camera", 0, 0.5f, TSpace::Blobs},
    {"data\\scene_rush.camera", 0, 0.8f, TSpace::City},
    {"data\\scene_capped0.camera", 0, 1, TSpace::CityAndCage},
    {"data\\scene_capped1.camera", 0, 1, TSpace::CityAndCage},
    {"data\\scene_capped2.camera", 0, 1, TSpace::CityAndCage},
    {"data\\scene_capped3.camera", 0, 1, TSpace::CityAndCage},
    {"data\\scene_kuba0.camera", 0, 0.5f, TSpace::Kuba},
    {"data\\scene_kuba1.camera", 0, 0.5f, TSpace::Kuba},
    {"data\\scene_kuba2.camera", 0, 0.5f, TSpace::Kuba},
    {"data\\scene_kuba3.camera", 0, 0.5f, TSpace::Kuba},
    {"data\\scene_atom.camera", 0, 1, TSpace::City},
    {"data\\scene_outro.camera", 0, 1, TSpace::Blobs},
    {"data\\scene_last.camera", 0.3f, 0.5f, TSpace::CityBlobsAndCage},
    {"data\\scene_corridor.camera", 0, 0.8f, TSpace::Corridor},
    {"data\\scene_movrik.camera", 0, 0.7746f, TSpace::City},
};

// The world the scenes draw: ground haze over +-2500, sky well above.
bool InsideWorld(const TVector3& p)
{
  return std::fabs(p.x) < 2500 && std::fabs(p.z) < 2500 && p.y > 0 && p.y < 2000;
}

}  // namespace

TEST_F(Content, EveryStartupImageDecodes)
{
  for (const char* name : StartupImages) {
    const std::vector<uint8_t> bytes = Bytes(name);
    TRgbImage image;
    std::string error;
    EXPECT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), image, error)) << name << ": " << error;
  }
}

TEST_F(Content, AlphaCompanionsMatchTheirColourImages)
{
  const std::pair<const char*, const char*> pairs[] = {{"city\\wall.jpg", "city\\wallenvalpha.jpg"},
                                                       {"data\\smog.jpg", "data\\smogalpha.jpg"}};
  for (const auto& [colour, alpha] : pairs) {
    TRgbImage a, b;
    std::string error;
    const std::vector<uint8_t> ca = Bytes(colour), cb = Bytes(alpha);
    ASSERT_TRUE(DecodeJpeg(ca.data(), ca.size(), a, error)) << error;
    ASSERT_TRUE(DecodeJpeg(cb.data(), cb.size(), b, error)) << error;
    EXPECT_EQ(a.Width, b.Width) << alpha;
    EXPECT_EQ(a.Height, b.Height) << alpha;
  }
}

TEST_F(Content, FontCellsHoldTheirGlyphs)
{
  const std::vector<uint8_t> bytes = Bytes("data\\font.jpg");
  TRgbImage font;
  std::string error;
  ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), font, error)) << error;
  ASSERT_EQ(font.Width % 16, 0);
  ASSERT_EQ(font.Height % 16, 0);
  ASSERT_GE(font.Width, 1024);
  const int cw = font.Width / 16, ch = font.Height / 16;
  auto cell = [&](int code, int& brightest, int& edge) {
    brightest = edge = 0;
    const int x0 = (code % 16) * cw, y0 = (code / 16) * ch;
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) {
        const int v = font.Pixels[(size_t(y0 + y) * font.Width + x0 + x) * 3 + 2];
        brightest = std::max(brightest, v);
        if (x == 0 || y == 0 || x == cw - 1 || y == ch - 1)
          edge = std::max(edge, v);
      }
  };
  for (int code = 33; code <= 126; ++code) {
    int brightest, edge;
    cell(code, brightest, edge);
    EXPECT_GT(brightest, 200) << "glyph " << code << " is missing";
    EXPECT_LT(edge, 40) << "glyph " << code << " touches its cell's edge";
  }
  for (int code : {0, 1, 31, 32}) {
    int brightest, edge;
    cell(code, brightest, edge);
    EXPECT_LT(brightest, 40) << "cell " << code << " is not blank";
  }
}

TEST_F(Content, EverySingleModelAndMapLoads)
{
  TGeoxData corridor = Model("Data\\corridor.geox");
  TGeoxData kuba = Model("Data\\kuba.geox");
  for (auto& [model, map] : {std::pair<TGeoxData*, const char*>{&corridor, "data\\corridor.map"},
                             std::pair<TGeoxData*, const char*>{&kuba, "data\\kuba.map"}}) {
    const std::vector<uint8_t> bytes = Bytes(map);
    std::string error;
    EXPECT_TRUE(ParseGeoxMap(bytes.data(), bytes.size(), *model, error)) << map << ": " << error;
    EXPECT_GT(model->FaceCount, 0) << map;
  }
  for (const char* name : {"data\\sky.textgeox", "data\\arounder.textgeox"})
    EXPECT_GT(Model(name).FaceCount, 0) << name;
}

TEST_F(Content, CityHasEveryNameTheScenesDraw)
{
  const TDirectory city = Directory("City\\");
  std::map<std::string, int> count;
  bool text = false;
  for (size_t i = 0; i < city.Names.size(); ++i) {
    ++count[city.Names[i]];
    text = text || city.Files[i].find(".TEXTGEOX") != std::string::npos;
    EXPECT_GT(city.Models[i].FaceCount, 0) << city.Files[i];
  }
  for (const char* name : {"WALL", "CAPSULE", "AHOUSE", "BHOUSE", "CHOUSE", "AROOF", "BROOF", "CROOF",
                           "TUBE", "SIDE", "CAVE"})
    EXPECT_GT(count[name], 0) << name;
  EXPECT_TRUE(text) << "no .textgeox entry in the city list";
  EXPECT_TRUE(std::any_of(count.begin(), count.end(), [](const auto& e) { return e.second > 1; }));
}

TEST_F(Content, CityStandsWhereTheScenesPlaceThings)
{
  const TDirectory city = Directory("City\\");
  // Smoke columns rise from the tops of five chimneys.
  const float smoke[5][2] = {{-137, -352}, {-404, -243}, {395, -68}, {-301, 449}, {232, 387}};
  for (const auto& s : smoke) {
    bool found = false;
    for (const TGeoxData& model : city.Models) {
      const TBox b = Bounds(model);
      found = found || (s[0] > b.lo[0] && s[0] < b.hi[0] && s[1] > b.lo[2] && s[1] < b.hi[2] &&
                        std::fabs(b.hi[1] - 400) < 1);
    }
    EXPECT_TRUE(found) << "no chimney topping out at (" << s[0] << ", 400, " << s[1] << ")";
  }
  // Both figures stand on a roof at 239.8.
  for (const float z : {28.0f, 48.0f}) {
    bool found = false;
    for (const TGeoxData& model : city.Models) {
      const TBox b = Bounds(model);
      found = found || (50 > b.lo[0] && 50 < b.hi[0] && z > b.lo[2] && z < b.hi[2] &&
                        std::fabs(b.hi[1] - 239.8f) < 0.05f);
    }
    EXPECT_TRUE(found) << "no roof at 239.8 under (50, " << z << ")";
  }
}

TEST_F(Content, FiguresAreMadeOfTheirParts)
{
  for (const char* directory : {"Huma\\", "Humb\\", "Humc\\"}) {
    const TDirectory d = Directory(directory);
    for (const char* part : {"HEAD", "SHIRT", "HANDS", "NOGI"}) {
      const auto at = std::find(d.Names.begin(), d.Names.end(), part);
      ASSERT_NE(at, d.Names.end()) << directory << " has no " << part;
      const TGeoxData& model = d.Models[at - d.Names.begin()];
      EXPECT_GT(SignedVolume(model), 0) << directory << part << " is wound inside out";
    }
    // All parts together make a figure about 1800 units tall.
    TBox all;
    for (const TGeoxData& model : d.Models) {
      const TBox b = Bounds(model);
      for (int k = 0; k < 3; ++k) {
        all.lo[k] = std::min(all.lo[k], b.lo[k]);
        all.hi[k] = std::max(all.hi[k], b.hi[k]);
      }
    }
    const float extent = std::max({all.hi[0] - all.lo[0], all.hi[1] - all.lo[1], all.hi[2] - all.lo[2]});
    EXPECT_GT(extent, 1500) << directory;
  }
  const TDirectory huma = Directory("Huma\\");
  const auto plane = std::find(huma.Names.begin(), huma.Names.end(), "PLANE");
  ASSERT_NE(plane, huma.Names.end());
  float uLo = 1, uHi = 0, vLo = 1, vHi = 0;
  for (const GeoxVertex& v : huma.Models[plane - huma.Names.begin()].Vertices) {
    uLo = std::min(uLo, v.u);
    uHi = std::max(uHi, v.u);
    vLo = std::min(vLo, v.v);
    vHi = std::max(vHi, v.v);
  }
  EXPECT_TRUE(uLo <= 0.01f && uHi >= 0.99f && vLo <= 0.01f && vHi >= 0.99f) << "the screen shows only part of a loop";
}

TEST_F(Content, ClosedModelsFaceOutward)
{
  const TDirectory wobbla = Directory("Wobbla\\");
  ASSERT_GE(wobbla.Models.size(), 2u);
  for (size_t i = 0; i < wobbla.Models.size(); ++i)
    EXPECT_GT(SignedVolume(wobbla.Models[i]), 0) << wobbla.Files[i];
  EXPECT_GT(SignedVolume(Model("Data\\kuba.geox")), 0);
  EXPECT_GT(SignedVolume(Model("data\\arounder.textgeox")), 0);
  const TBox sky = Bounds(Model("data\\sky.textgeox"));
  for (int k = 0; k < 3; ++k)
    EXPECT_TRUE(sky.lo[k] < -100 && sky.hi[k] > 100) << "the sky does not surround the origin";
}

TEST_F(Content, CameraPathsKeepTheEyeInItsSpace)
{
  const TDirectory city = Directory("City\\"), wobbla = Directory("Wobbla\\"), humb = Directory("Humb\\");
  std::vector<TBox> cityBoxes, blobBoxes;
  for (const TGeoxData& m : city.Models)
    cityBoxes.push_back(Bounds(m));
  for (const TGeoxData& m : wobbla.Models)
    blobBoxes.push_back(Bounds(m));
  // The cage turns about the y axis: its swept volume is a cylinder.
  const TBox cage = Bounds(Model("data\\arounder.textgeox"));
  const float cageRadius = std::max({cage.hi[0], -cage.lo[0], cage.hi[2], -cage.lo[2]}) * 1.42f;
  const TBox kuba = Bounds(Model("Data\\kuba.geox"), 0.4f);
  const TBox corridor = Bounds(Model("Data\\corridor.geox"));
  TBox figure;
  for (const TGeoxData& m : humb.Models) {
    const TBox b = Bounds(m, 1 / 70.0f);
    for (int k = 0; k < 3; ++k) {
      figure.lo[k] = std::min(figure.lo[k], b.lo[k]);
      figure.hi[k] = std::max(figure.hi[k], b.hi[k]);
    }
  }

  auto outside = [](const std::vector<TBox>& boxes, const TVector3& eye) {
    return std::none_of(boxes.begin(), boxes.end(), [&](const TBox& b) { return b.Contains(eye); });
  };
  for (const TPathUse& use : PathUses) {
    static TCameraPath path;
    path = {};
    const std::vector<uint8_t> bytes = Bytes(use.File);
    std::string error;
    ASSERT_TRUE(ParseCameraPath(path, bytes.data(), bytes.size(), error)) << use.File << ": " << error;
    if (use.Space == TSpace::Unused)
      continue;
    EXPECT_GE(path.Count, 4) << use.File << " would hold the camera still";
    EXPECT_LT(path.Count, CameraPathSlots) << use.File;
    // The first place where the eye leaves its space, if any.
    std::string fault;
    for (int step = 0; step <= 500 && fault.empty(); ++step) {
      const float f = std::min(use.From + (use.To - use.From) * step / 500.0f, 0.9999f);
      TCamera c;
      SampleCameraPath(c, path, f);
      const TVector3 e = c.Eye;
      const TVector3 d = {c.Target.x - e.x, c.Target.y - e.y, c.Target.z - e.z};
      const TVector3 side = {c.Up.y * d.z - c.Up.z * d.y, c.Up.z * d.x - c.Up.x * d.z, c.Up.x * d.y - c.Up.y * d.x};
      const float dl = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
      const float ul = std::sqrt(c.Up.x * c.Up.x + c.Up.y * c.Up.y + c.Up.z * c.Up.z);
      const float sl = std::sqrt(side.x * side.x + side.y * side.y + side.z * side.z);
      const bool inCage = std::hypot(e.x, e.z) < cageRadius && e.y > cage.lo[1] && e.y < cage.hi[1];
      std::string problem;
      if (!(sl > 0.2f * dl * ul))
        problem = "the up vector runs along the view";
      else if (!(c.FieldOfView > 30 && c.FieldOfView < 100))
        problem = "field of view " + std::to_string(c.FieldOfView);
      switch (use.Space) {
      case TSpace::CityBlobsAndCage:
        if (!outside(blobBoxes, e))
          problem = "inside a blob";
        [[fallthrough]];
      case TSpace::CityAndCage:
        if (inCage)
          problem = "in the cage";
        [[fallthrough]];
      case TSpace::City:
        if (!InsideWorld(e))
          problem = "outside the world";
        else if (!outside(cityBoxes, e))
          problem = "inside a city model";
        break;
      case TSpace::Blobs:
        if (!InsideWorld(e) || e.y < 85)
          problem = "outside the world or under the water";
        else if (!outside(blobBoxes, e))
          problem = "inside a blob";
        break;
      case TSpace::Kuba:
        if (!InsideWorld(e) || kuba.Contains(e))
          problem = "outside the world or inside kuba";
        break;
      case TSpace::Corridor:
        if (!(e.x > corridor.lo[0] + 5 && e.x < corridor.hi[0] - 5 && e.y > corridor.lo[1] + 5 &&
              e.y < corridor.hi[1] - 5 && e.z > corridor.lo[2]))
          problem = "outside the corridor";
        break;
      case TSpace::Falling:
        if (figure.Contains(e))
          problem = "inside the figure";
        else if (std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z) > 150)
          problem = "too far for the figure to be seen";
        break;
      case TSpace::Unused:
        break;
      }
      if (!problem.empty())
        fault = "at " + std::to_string(f) + " the eye (" + std::to_string(e.x) + ", " + std::to_string(e.y) +
                ", " + std::to_string(e.z) + "): " + problem;
    }
    EXPECT_EQ(fault, "") << use.File;
  }
}

// The program's own start-up: every texture, list and model through the
// asset loader and every camera path through the scenes' Prepare, in their
// order, on a real GL context. A missing or broken file ends the process,
// which fails this test.
TEST_F(Content, StartUpReadsEverything)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  EXPECT_EQ(Textures.Count, 18);
  EXPECT_GT(CityModels.Count, 0);
  EXPECT_GT(WobblaModels.Count, 0);
  for (const TGeoxScene* scene : {&HumaModels, &HumbModels, &HumcModels})
    EXPECT_GE(scene->Count, 4);
  EXPECT_NE(SkyModel.ListId, 0u);
  EXPECT_NE(SkyModel.Texture, 0u);
  EXPECT_GT(CorridorModel.FaceCount, 0);
  EXPECT_GT(KubaModel.FaceCount, 0);
}
