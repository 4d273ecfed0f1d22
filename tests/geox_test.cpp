#include "engine/geox.h"

#include "engine/bytes.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using ::testing::ExitedWithCode;

namespace {

// A file vertex: x, the model's z, the model's y, u, v, as stored.
struct TFileVertex {
  float x, z, y, u, v;
};
struct TFileFace {
  int32_t a, b, c;
};

std::vector<uint8_t> BinaryGeox(const std::vector<TFileVertex>& vertices,
                                const std::vector<TFileFace>& faces)
{
  std::vector<uint8_t> bytes;
  AppendI32(bytes, static_cast<int32_t>(vertices.size()));
  AppendI32(bytes, static_cast<int32_t>(faces.size()));
  for (const TFileVertex& v : vertices)
    for (float value : {v.x, v.z, v.y, v.u, v.v})
      AppendF32(bytes, value);
  for (const TFileFace& f : faces)
    for (int32_t index : {f.a, f.b, f.c})
      AppendI32(bytes, index);
  return bytes;
}

std::string TextGeox(const std::vector<TFileVertex>& vertices, const std::vector<TFileFace>& faces)
{
  std::string text =
      std::to_string(vertices.size()) + " vertices\n" + std::to_string(faces.size()) + " faces\n";
  for (const TFileVertex& v : vertices)
    text += std::to_string(v.x) + " " + std::to_string(v.z) + " " + std::to_string(v.y) + " " +
            std::to_string(v.u) + " " + std::to_string(v.v) + " rest ignored\n";
  // Face indices may be spread over lines in any way.
  for (size_t i = 0; i < faces.size(); ++i)
    text += std::to_string(faces[i].a) + "\n" + std::to_string(faces[i].b) + "  " +
            std::to_string(faces[i].c) + (i % 2 ? "\n" : "\t");
  return text;
}

const std::vector<TFileVertex> QuadVertices = {
    {1, 2, 3, 0.5f, 0.25f}, {-4, 5.5f, 6, 0, 1}, {7, 8, -9, 1, 0}, {10, 11, 12, 0.75f, 0.125f}};
const std::vector<TFileFace> QuadFaces = {{0, 1, 2}, {2, 1, 3}};

void ExpectQuadModel(const TGeoxData& model)
{
  ASSERT_EQ(model.VertexCount, 4);
  ASSERT_EQ(model.FaceCount, 2);
  ASSERT_EQ(model.Vertices.size(), 4u);
  ASSERT_EQ(model.Faces.size(), 2u);
  // The file's second value is the model's z, its third the model's y.
  const GeoxVertex& first = model.Vertices[0];
  EXPECT_EQ(first.x, 1.0f);
  EXPECT_EQ(first.y, 3.0f);
  EXPECT_EQ(first.z, 2.0f);
  EXPECT_EQ(first.u, 0.5f);
  EXPECT_EQ(first.v, 0.25f);
  for (size_t i = 0; i < QuadVertices.size(); ++i) {
    const GeoxVertex& v = model.Vertices[i];
    EXPECT_EQ(v.x, QuadVertices[i].x) << i;
    EXPECT_EQ(v.y, QuadVertices[i].y) << i;
    EXPECT_EQ(v.z, QuadVertices[i].z) << i;
    EXPECT_EQ(v.u, QuadVertices[i].u) << i;
    EXPECT_EQ(v.v, QuadVertices[i].v) << i;
    EXPECT_EQ(v.nx, 0.0f);
    EXPECT_EQ(v.ny, 0.0f);
    EXPECT_EQ(v.nz, 0.0f);
  }
  for (size_t i = 0; i < QuadFaces.size(); ++i) {
    EXPECT_EQ(model.Faces[i].a, QuadFaces[i].a);
    EXPECT_EQ(model.Faces[i].b, QuadFaces[i].b);
    EXPECT_EQ(model.Faces[i].c, QuadFaces[i].c);
    EXPECT_EQ(model.Faces[i].nx, 0.0f);
  }
}

struct TFormat {
  const char* name;
  const char* fileName;
  std::function<std::vector<uint8_t>(const std::vector<TFileVertex>&,
                                     const std::vector<TFileFace>&)>
      write;
  std::function<TGeoxFailure(const uint8_t*, size_t, TGeoxData&, std::string&)> parse;
  std::function<void(TGeoxData&, const std::string&)> load;
};

std::vector<uint8_t> TextBytes(const std::string& text)
{
  return std::vector<uint8_t>(text.begin(), text.end());
}

const TFormat Formats[] = {
    {"binary", "Model.geox", BinaryGeox, ParseGeoxFile, LoadGeoxFile},
    {"text", "Model.textgeox",
     [](const std::vector<TFileVertex>& v, const std::vector<TFileFace>& f) {
       return TextBytes(TextGeox(v, f));
     },
     ParseTextGeoxFile, LoadTextGeoxFile},
};

}  // namespace

TEST(GeoxLoader, BothFormatsSwapTheSecondAndThirdCoordinate)
{
  for (const TFormat& format : Formats) {
    SCOPED_TRACE(format.name);
    TTempDir dir;
    dir.Enter();
    // The program names files with backslashes and its own letter case.
    WriteBytes(dir.File(std::string("models/") + format.fileName),
               format.write(QuadVertices, QuadFaces));
    TGeoxData model;
    model.ListId = 7;
    model.Texture = 9;
    AllocateGeox(model, 10, 10);
    format.load(model, std::string("MODELS\\") + format.fileName);
    ExpectQuadModel(model);
    EXPECT_EQ(model.ListId, 7u);
    EXPECT_EQ(model.Texture, 9u);
  }
}

TEST(GeoxLoader, EmptyModelsLoadAndTrailingBytesAreIgnored)
{
  TTempDir dir;
  std::vector<uint8_t> eightBytes = BinaryGeox({}, {});
  ASSERT_EQ(eightBytes.size(), 8u);
  std::vector<uint8_t> withTrailer = BinaryGeox(QuadVertices, QuadFaces);
  withTrailer.insert(withTrailer.end(), {0xde, 0xad, 0xbe});
  WriteBytes(dir.File("empty.geox"), eightBytes);
  WriteBytes(dir.File("trailer.geox"), withTrailer);
  WriteText(dir.File("empty.textgeox"), "0\n0\n");

  for (const char* name : {"empty.geox", "empty.textgeox"}) {
    TGeoxData model;
    AllocateGeox(model, 3, 1);
    if (std::string(name).find("text") != std::string::npos)
      LoadTextGeoxFile(model, dir.File(name));
    else
      LoadGeoxFile(model, dir.File(name));
    EXPECT_EQ(model.VertexCount, 0) << name;
    EXPECT_EQ(model.FaceCount, 0) << name;
    EXPECT_TRUE(model.Vertices.empty()) << name;
    EXPECT_TRUE(model.Faces.empty()) << name;
  }
  TGeoxData model;
  LoadGeoxFile(model, dir.File("trailer.geox"));
  ExpectQuadModel(model);
}

TEST(GeoxLoader, FaceIndexOutsideTheModelIsCorrupted)
{
  const std::vector<TFileVertex> vertices(QuadVertices.begin(), QuadVertices.begin() + 3);
  const std::vector<TFileFace> bad[] = {
      {{3, 1, 2}},              // first index equal to VertexCount
      {{0, 1, 2}, {0, 3, 1}},   // second index, in the second face
      {{0, 1, 3}},              // third index
      {{0, 1, 2}, {2, 1, -1}},  // negative
      {{0, 1, 2000000000}},
  };
  for (const TFormat& format : Formats) {
    for (const auto& faces : bad) {
      SCOPED_TRACE(std::string(format.name) + " face " + std::to_string(faces.back().a) + " " +
                   std::to_string(faces.back().b) + " " + std::to_string(faces.back().c));
      const std::vector<uint8_t> bytes = format.write(vertices, faces);
      TGeoxData model;
      std::string error;
      EXPECT_EQ(format.parse(bytes.data(), bytes.size(), model, error),
                TGeoxFailure::FaceOutsideModel);
      EXPECT_EQ(model.VertexCount, 0);

      // The box shows the fixed message alone; standard error also names the file.
      TTempDir dir;
      const std::string path = dir.File(format.fileName);
      WriteBytes(path, bytes);
      EXPECT_EXIT(format.load(model, path), ExitedWithCode(1),
                  std::string(format.fileName) +
                      ": face index outside the model\nError: CORRUPTED GEOX FILE!!!");
    }
  }
}

TEST(GeoxLoader, HostileBinaryFilesAreRefusedBeforeAllocating)
{
  auto header = [](int32_t nv, int32_t nf) {
    std::vector<uint8_t> bytes;
    AppendI32(bytes, nv);
    AppendI32(bytes, nf);
    return bytes;
  };
  std::vector<uint8_t> claimsTwoBillion = header(2000000000, 0);
  claimsTwoBillion.resize(12, 0);
  std::vector<uint8_t> oneByteShort = BinaryGeox(QuadVertices, QuadFaces);
  oneByteShort.pop_back();
  std::vector<uint8_t> vertexShort = BinaryGeox(QuadVertices, {});
  vertexShort.resize(8 + 20 * 4 - 1);
  // A cut file is refused for its size before any face is looked at.
  std::vector<uint8_t> badFaceCut = BinaryGeox(QuadVertices, {{0, 9, 1}, {0, 1, 2}});
  badFaceCut.pop_back();

  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"empty file", {}, "0 bytes is too short for the header"},
      {"half a header", {1, 0, 0, 0}, "4 bytes is too short for the header"},
      {"negative vertex count", header(-1, 0), "negative vertex count -1"},
      {"negative face count", header(0, -5), "negative face count -5"},
      {"two billion vertices in 12 bytes", claimsTwoBillion,
       "12 bytes is too short for 2000000000 vertices and 0 faces"},
      {"huge face count", header(0, 0x7fffffff), "too short for 0 vertices and 2147483647 faces"},
      {"last face cut", oneByteShort, "111 bytes is too short for 4 vertices and 2 faces"},
      {"last vertex cut", vertexShort, "87 bytes is too short for 4 vertices and 0 faces"},
      {"bad face in a cut file", badFaceCut, "111 bytes is too short for 4 vertices and 2 faces"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TGeoxData model;
    std::string error;
    EXPECT_EQ(ParseGeoxFile(c.bytes.data(), c.bytes.size(), model, error),
              TGeoxFailure::Malformed);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(model.VertexCount, 0);
    EXPECT_TRUE(model.Vertices.empty());

    TTempDir dir;
    const std::string path = dir.File("hostile.geox");
    WriteBytes(path, c.bytes);
    EXPECT_EXIT(LoadGeoxFile(model, path), ExitedWithCode(1),
                std::string("hostile.geox: .*") + c.message);
  }
}

TEST(GeoxLoader, HostileTextFilesNameTheFault)
{
  constexpr TGeoxFailure Malformed = TGeoxFailure::Malformed;
  const struct {
    const char* what;
    const char* text;
    TGeoxFailure failure;
    const char* message;
  } cases[] = {
      {"empty file", "", Malformed, "a number is missing"},
      {"count not a number", "four\n1\n", Malformed, "line 1: malformed integer \"four\""},
      {"fractional count", "1.5\n0\n", Malformed, "line 1: malformed integer \"1.5\""},
      {"count overflows", "99999999999\n0\n", Malformed, "malformed integer \"99999999999\""},
      {"negative vertex count", "-3\n0\n", Malformed, "negative vertex count -3"},
      {"negative face count", "0\n-1\n", Malformed, "negative face count -1"},
      {"counts the file cannot hold", "2000000000\n2000000000\n0 0 0 0 0\n", Malformed,
       "too short for 2000000000 vertices and 2000000000 faces"},
      {"malformed coordinate", "1\n0\n1 2 3x 4 5\n", Malformed, "line 3: malformed number \"3x\""},
      {"coordinate missing", "2\n0\n1 2 3 4 5\n1 2 3 4\n", Malformed, "a number is missing"},
      {"not finite", "1\n0\n1 2 inf 4 5\n", Malformed, "line 3: malformed number \"inf\""},
      {"fractional index", "3\n1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n0 1.0 2\n", Malformed,
       "line 6: malformed integer \"1.0\""},
      {"index missing", "3\n1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n0 1\n", Malformed,
       "a number is missing"},
      {"negative index", "3\n1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n0 1 -2\n",
       TGeoxFailure::FaceOutsideModel, "CORRUPTED GEOX FILE!!!"},
      // Each face is checked as soon as it is read, before the missing one.
      {"bad index before the file ends", "3\n2\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n0 5 1       \n",
       TGeoxFailure::FaceOutsideModel, "CORRUPTED GEOX FILE!!!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TGeoxData model;
    std::string error;
    EXPECT_EQ(ParseTextGeoxFile(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text),
                                model, error),
              c.failure)
        << error;

    TTempDir dir;
    const std::string path = dir.File("hostile.textgeox");
    WriteText(path, c.text);
    EXPECT_EXIT(LoadTextGeoxFile(model, path), ExitedWithCode(1), c.message);
  }
}

TEST(GeoxLoader, TextNumbersInUsualNotations)
{
  TTempDir dir;
  WriteText(dir.File("forms.textgeox"), "  +2   \r\n"
                                        "1\r\n"
                                        "-1.5e1 +2 .25 1E-1 7\r\n"
                                        "3 4 5 6 7 8 9\r\n"
                                        "0 1 1\r\n");
  TGeoxData model;
  LoadTextGeoxFile(model, dir.File("forms.textgeox"));
  ASSERT_EQ(model.VertexCount, 2);
  EXPECT_EQ(model.Vertices[0].x, -15.0f);
  EXPECT_EQ(model.Vertices[0].z, 2.0f);
  EXPECT_EQ(model.Vertices[0].y, 0.25f);
  EXPECT_EQ(model.Vertices[0].u, 0.1f);
  EXPECT_EQ(model.Vertices[0].v, 7.0f);
  EXPECT_EQ(model.Vertices[1].v, 7.0f);  // "8 9" is the ignored rest of the line
  EXPECT_EQ(model.Faces[0].b, 1);
}

TEST(GeoxMap, SameIndexSelectsVertexAndPair)
{
  TTempDir dir;
  // Six pairs for a four-vertex model: the face lines name vertices 3, 1 and
  // 0 only, and nothing relates them to the model's own faces.
  WriteText(dir.File("quad.map"), "6\n"
                                  "0.0 0.5\n0.1 0.6 ignored\n0.2 0.7\n0.3 0.8\n0.4 0.9\n0.45 0.95\n"
                                  "3 3 1 ignored\n"
                                  "0 1 0\n");
  TGeoxData model;
  WriteBytes(dir.File("quad.geox"), BinaryGeox(QuadVertices, QuadFaces));
  LoadGeoxFile(model, dir.File("quad.geox"));
  LoadGeoxMap(model, dir.File("quad.map"));

  const struct {
    float u, v;
  } expected[] = {{0.0f, 0.5f}, {0.1f, 0.6f}, {QuadVertices[2].u, QuadVertices[2].v}, {0.3f, 0.8f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(model.Vertices[i].u, expected[i].u) << i;
    EXPECT_EQ(model.Vertices[i].v, expected[i].v) << i;
    EXPECT_EQ(model.Vertices[i].x, QuadVertices[i].x) << i;
  }
  EXPECT_EQ(model.FaceCount, 2);
  EXPECT_EQ(model.Faces[1].a, 2);
}

TEST(GeoxMap, HostileMapsAreRefusedAndLeaveTheModelUnchanged)
{
  // The model has 4 vertices and 2 faces, so a map has two face lines.
  const struct {
    const char* what;
    const char* text;
    const char* message;
  } cases[] = {
      {"index equal to VertexCount", "5\n0 0\n0 0\n0 0\n0 0\n0 0\n0 1 2\n1 4 2\n",
       "face line 2: index 4 is outside the model's 4 vertices or the file's 5"},
      {"index equal to the pair count", "3\n0 0\n0 0\n0 0\n0 1 2\n1 3 2\n",
       "face line 2: index 3 is outside"},
      {"negative index", "4\n0 0\n0 0\n0 0\n0 0\n-1 1 2\n0 1 2\n", "face line 1: index -1"},
      {"negative pair count", "-2\n0 1 2\n0 1 2\n", "negative coordinate pair count -2"},
      {"pairs the file cannot hold", "1000000000\n0 0\n0 1 2\n0 1 2\n",
       "too short for 1000000000 coordinate pairs"},
      {"face line missing", "4\n0 0\n0 0\n0 0\n0 0\n0 1 2\n", "a number is missing"},
      {"malformed coordinate", "4\n0 0\n0 zero\n0 0\n0 0\n0 1 2\n0 1 2\n",
       "line 3: malformed number \"zero\""},
      {"malformed index", "4\n0 0\n0 0\n0 0\n0 0\n0 1 2\n0 1 #\n",
       "line 7: malformed integer \"#\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTempDir dir;
    WriteBytes(dir.File("quad.geox"), BinaryGeox(QuadVertices, QuadFaces));
    TGeoxData model;
    LoadGeoxFile(model, dir.File("quad.geox"));
    std::string error;
    EXPECT_FALSE(
        ParseGeoxMap(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text), model, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    ExpectQuadModel(model);

    WriteText(dir.File("quad.map"), c.text);
    EXPECT_EXIT(LoadGeoxMap(model, dir.File("quad.map")), ExitedWithCode(1),
                std::string("quad.map: .*") + c.message);
  }
}

TEST(GeoxList, LoadsEveryEntryWithItsNameRegardlessOfCase)
{
  TTempDir dir;
  dir.Enter();
  const std::vector<TFileVertex> triangle(QuadVertices.begin(), QuadVertices.begin() + 3);
  // Names on disk differ in case from the list lines.
  WriteText("city/Loft.TextGeox", TextGeox(triangle, {{0, 1, 2}}));
  WriteBytes("city/LOFT2.geox", BinaryGeox(QuadVertices, QuadFaces));
  WriteBytes("city/a_house2.GEOX", BinaryGeox({}, {}));
  WriteText("city/geometry.list", "loft.textgeox\r\nLoft2.geox\na_house2.geox\n\n\r\n");

  TGeoxScene scene;
  LoadGeoxList(scene, "City\\", "geometry.list");
  ASSERT_EQ(scene.Count, 3);
  ASSERT_EQ(scene.Models.size(), 3u);
  EXPECT_EQ(scene.FileNames,
            (std::vector<std::string>{"LOFT.TEXTGEOX", "LOFT2.GEOX", "A_HOUSE2.GEOX"}));
  EXPECT_EQ(scene.Names, (std::vector<std::string>{"LOFT", "LOFT", "AHOUSE"}));
  EXPECT_EQ(scene.Models[0].VertexCount, 3);
  EXPECT_EQ(scene.Models[0].FaceCount, 1);
  ExpectQuadModel(scene.Models[1]);
  EXPECT_EQ(scene.Models[2].VertexCount, 0);
}

TEST(GeoxList, BadListsNameTheFile)
{
  const struct {
    const char* what;
    const char* list;
    const char* message;
  } cases[] = {
      {"blank line before the last entry", "a.geox\n\nb.geox\n",
       "geometry.list: line 2 is empty; blank lines may only follow the last entry"},
      {"entry missing on disk", "a.geox\nmissing.geox\n",
       "MISSING.GEOX: No such file or directory"},
      {"entry is corrupted", "a.geox\nbad.geox\n", "CORRUPTED GEOX FILE!!!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTempDir dir;
    WriteBytes(dir.File("a.geox"), BinaryGeox(QuadVertices, QuadFaces));
    WriteBytes(dir.File("b.geox"), BinaryGeox(QuadVertices, QuadFaces));
    WriteBytes(dir.File("bad.geox"), BinaryGeox(QuadVertices, {{0, 4, 1}}));
    WriteText(dir.File("geometry.list"), c.list);
    TGeoxScene scene;
    EXPECT_EXIT(LoadGeoxList(scene, dir.Path() + "/", "geometry.list"), ExitedWithCode(1),
                c.message);
  }
}

TEST(GeoxList, ObjectNamesKeepCapitalsBeforeTheFirstDot)
{
  const struct {
    const char* line;
    const char* name;
  } cases[] = {
      {"WALL.GEOX", "WALL"},
      {"A_HOUSE2.GEOX", "AHOUSE"},
      {"LOFT.TEXTGEOX", "LOFT"},
      {"OLD.DIR\\X.GEOX", "OLD"},
      {"SUB\\TOWER-3.GEOX", "SUBTOWER"},
      {"NO DOT 9", "NODOT"},
      {"lower.GEOX", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GeoxObjectName(c.line), c.name) << c.line;
}

namespace {

TGeoxData ModelFrom(const std::vector<std::array<float, 3>>& positions,
                    const std::vector<std::array<int32_t, 3>>& faces)
{
  TGeoxData model;
  AllocateGeox(model, static_cast<int32_t>(positions.size()), static_cast<int32_t>(faces.size()));
  for (size_t i = 0; i < positions.size(); ++i) {
    model.Vertices[i].x = positions[i][0];
    model.Vertices[i].y = positions[i][1];
    model.Vertices[i].z = positions[i][2];
  }
  for (size_t i = 0; i < faces.size(); ++i) {
    model.Faces[i].a = faces[i][0];
    model.Faces[i].b = faces[i][1];
    model.Faces[i].c = faces[i][2];
  }
  return model;
}

void ExpectNormal(float nx, float ny, float nz, std::array<float, 3> expected,
                  const std::string& what)
{
  EXPECT_FLOAT_EQ(nx, expected[0]) << what;
  EXPECT_FLOAT_EQ(ny, expected[1]) << what;
  EXPECT_FLOAT_EQ(nz, expected[2]) << what;
}

}  // namespace

TEST(GeoxNormals, FaceNormalsAreUnitAndFollowTheWinding)
{
  const struct {
    const char* what;
    std::array<std::array<float, 3>, 3> corners;
    std::array<float, 3> normal;
  } cases[] = {
      {"counter-clockwise in xy", {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {0, 0, 1}},
      {"clockwise in xy", {{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}}, {0, 0, -1}},
      {"large, facing up", {{{0, 5, 0}, {0, 5, 40}, {30, 5, 0}}}, {0, 1, 0}},
      {"slanted", {{{0, 0, 0}, {2, 0, 0}, {0, 2, 2}}}, {0, -0.70710677f, 0.70710677f}},
      {"two equal corners", {{{1, 2, 3}, {1, 2, 3}, {4, 5, 6}}}, {0, 0, 0}},
      {"all corners equal", {{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    TGeoxData model = ModelFrom({c.corners[0], c.corners[1], c.corners[2]}, {{0, 1, 2}});
    ComputeFaceNormals(model);
    ExpectNormal(model.Faces[0].nx, model.Faces[0].ny, model.Faces[0].nz, c.normal, c.what);
  }
}

TEST(GeoxNormals, VertexNormalsAreTheUnnormalisedMean)
{
  // Face 0 lies in xy (normal +z), face 1 in yz (normal +x), face 2 is
  // degenerate (corners 0 and 4 equal) and face 3 names vertex 3 twice.
  TGeoxData model = ModelFrom({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 0}, {5, 5, 5}},
                              {{0, 1, 2}, {0, 3, 2}, {0, 4, 1}, {3, 3, 1}});
  model.Vertices[5].nx = 9;  // unused: reset to zero
  ComputeFaceNormals(model);
  ComputeVertexNormals(model);
  ExpectNormal(model.Faces[1].nx, model.Faces[1].ny, model.Faces[1].nz, {1, 0, 0}, "face 1");
  const std::array<float, 3> expected[] = {
      {1.0f / 3, 0, 1.0f / 3},  // faces 0, 1 and the degenerate face 2
      {0, 0, 1.0f / 3},         // faces 0, 2 and 3 (degenerate: zero)
      {0.5f, 0, 0.5f},          // faces 0 and 1
      {1.0f / 3, 0, 0},         // face 1 once, face 3 twice
      {0, 0, 0},                // only the degenerate face
      {0, 0, 0},                // no face
  };
  for (int i = 0; i < 6; ++i) {
    const GeoxVertex& v = model.Vertices[i];
    ExpectNormal(v.nx, v.ny, v.nz, expected[i], "vertex " + std::to_string(i));
  }
}

namespace {

// A corner as GL received it: window position and texture coordinates.
struct TCorner {
  float x, y, s, t, r;
};

// Runs draw in feedback mode and returns the corners of the triangles it
// emitted, in order. With normalsAsTexCoords the texture coordinates are
// generated from the current normal, so s, t, r show the normal GL received.
std::vector<TCorner> Feedback(const std::function<void()>& draw, bool normalsAsTexCoords)
{
  // Whatever an earlier test in this process left: nothing culled or
  // clipped away, normals and texture coordinates passed through as given.
  glViewport(0, 0, 640, 480);
  glDepthRange(0, 1);
  glDisable(GL_CULL_FACE);
  glDisable(GL_CLIP_PLANE0);
  glDisable(GL_NORMALIZE);
  glDisable(GL_RESCALE_NORMAL);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -100, 100);  // window x, y equal model x, y
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (GLenum coord : {GL_S, GL_T, GL_R}) {
    glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
    const GLenum enable = coord == GL_S   ? GL_TEXTURE_GEN_S
                          : coord == GL_T ? GL_TEXTURE_GEN_T
                                          : GL_TEXTURE_GEN_R;
    if (normalsAsTexCoords)
      glEnable(enable);
    else
      glDisable(enable);
  }
  // Mesa generates coordinates only for an enabled texture unit.
  static GLuint texture = 0;
  if (!texture) {
    const uint8_t white[4] = {255, 255, 255, 255};
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
  // What the corners receive when the draw call sets nothing.
  glNormal3f(0.25f, 0.5f, 0.75f);
  glTexCoord3f(0.125f, 0.375f, 0.0f);

  std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_GEN_R);

  std::vector<TCorner> corners;
  for (GLint i = 0; i < used;) {
    EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
    const int count = static_cast<int>(buffer[i + 1]);
    EXPECT_EQ(count, 3);
    i += 2;
    for (int k = 0; k < count; ++k, i += 11)  // x y z, r g b a, s t r q
      corners.push_back({buffer[i], buffer[i + 1], buffer[i + 7], buffer[i + 8], buffer[i + 9]});
  }
  return corners;
}

}  // namespace

TEST(GeoxDrawing, EmitsTheChosenAttributesPerFaceAndCorner)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;

  TGeoxData model =
      ModelFrom({{10, 20, 0}, {100, 30, 0}, {50, 200, 0}, {300, 400, 0}}, {{0, 1, 2}, {2, 1, 3}});
  for (int i = 0; i < 4; ++i) {
    GeoxVertex& v = model.Vertices[i];
    v.u = 0.1f * (i + 1);
    v.v = 0.05f * (i + 1);
    v.nx = 0.5f;
    v.ny = -0.25f * i;
    v.nz = 0.125f * i;
  }
  model.Faces[0].nx = 1;
  model.Faces[1].ny = -2;  // not unit: passed on as stored

  const struct {
    const char* what;
    std::function<void(const TGeoxData&)> draw;
    bool texCoords, faceNormals, vertexNormals;
  } cases[] = {
      {"DrawGeoxPlain", DrawGeoxPlain, false, false, false},
      {"DrawGeoxSmooth", DrawGeoxSmooth, false, false, true},
      {"DrawGeoxTextured", DrawGeoxTextured, true, false, false},
      {"DrawGeoxFlatTextured", DrawGeoxFlatTextured, true, true, false},
      {"DrawGeoxSmoothTextured", DrawGeoxSmoothTextured, true, false, true},
      {"vertex normal overrides face normal",
       [](const TGeoxData& m) { DrawGeox(m, GeoxFaceNormals | GeoxVertexNormals); }, false, false,
       true},
      {"face normals only", [](const TGeoxData& m) { DrawGeox(m, GeoxFaceNormals); }, false, true,
       false},
  };
  for (const auto& c : cases) {
    // Drawn directly and from a display list compiled without executing.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    c.draw(model);
    glEndList();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.what;
    // The client array state is put back as it was: all arrays off.
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY})
      EXPECT_FALSE(glIsEnabled(array)) << c.what << " left array " << array << " on";
    const std::function<void()> ways[] = {[&] { c.draw(model); }, [&] { glCallList(list); }};
    for (int way = 0; way < 2; ++way) {
      SCOPED_TRACE(std::string(c.what) + (way ? " from a display list" : " directly"));
      const std::vector<TCorner> texCoords = Feedback(ways[way], false);
      const std::vector<TCorner> normals = Feedback(ways[way], true);
      ASSERT_EQ(texCoords.size(), 6u);
      ASSERT_EQ(normals.size(), 6u);
      for (int k = 0; k < 6; ++k) {
        const GeoxFace& face = model.Faces[k / 3];
        const int32_t index = k % 3 == 0 ? face.a : k % 3 == 1 ? face.b : face.c;
        const GeoxVertex& v = model.Vertices[index];
        EXPECT_FLOAT_EQ(texCoords[k].x, v.x) << "corner " << k;
        EXPECT_FLOAT_EQ(texCoords[k].y, v.y) << "corner " << k;
        EXPECT_FLOAT_EQ(texCoords[k].s, c.texCoords ? v.u : 0.125f) << "corner " << k;
        EXPECT_FLOAT_EQ(texCoords[k].t, c.texCoords ? v.v : 0.375f) << "corner " << k;
        std::array<float, 3> normal = {0.25f, 0.5f, 0.75f};
        if (c.vertexNormals)
          normal = {v.nx, v.ny, v.nz};
        else if (c.faceNormals)
          normal = {face.nx, face.ny, face.nz};
        ExpectNormal(normals[k].s, normals[k].t, normals[k].r, normal,
                     "corner " + std::to_string(k));
      }
    }
    glDeleteLists(list, 1);
  }
}

TEST(GeoxDrawing, EmptyModelEmitsNothing)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  TGeoxData model;
  AllocateGeox(model, 0, 0);
  EXPECT_TRUE(Feedback([&] { DrawGeox(model, GeoxTexCoords | GeoxFaceNormals | GeoxVertexNormals); }, false).empty());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
