#include "engine/camera.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

TCamera Key(float base)
{
  return TCamera{base, {base + 1, base + 2, base + 3}, {base + 4, base + 5, base + 6},
                 {base + 7, base + 8, base + 9}};
}

std::vector<float> Fields(const TCamera& camera)
{
  std::vector<float> fields(10);
  std::memcpy(fields.data(), &camera, sizeof camera);
  return fields;
}

std::vector<uint8_t> CameraFile(int records, size_t extraBytes = 0)
{
  std::vector<uint8_t> bytes(records * 40 + extraBytes, 0xAB);
  for (int r = 0; r < records; ++r) {
    const TCamera key = Key(10.0f * r);
    std::memcpy(bytes.data() + r * 40, &key, 40);
  }
  return bytes;
}

TCameraPath LoadedPath(const std::vector<uint8_t>& bytes)
{
  TCameraPath path = {};
  std::string error;
  EXPECT_TRUE(ParseCameraPath(path, bytes.data(), bytes.size(), error)) << error;
  return path;
}

}  // namespace

TEST(CameraSampler, ShortPathsYieldSlotOneUnchanged)
{
  for (int records : {0, 1, 2, 3}) {
    TCameraPath path = LoadedPath(CameraFile(records));
    TCamera camera = Key(-5);
    SampleCameraPath(camera, path, 0.7f);
    const TCamera expected = records >= 2 ? Key(10) : TCamera{};
    EXPECT_EQ(Fields(camera), Fields(expected)) << records << " records";
  }
}

TEST(CameraSampler, FourRecordsMakeTwoSegments)
{
  // Records r = 0 to 3 hold 10 r + k in field k. Segment 1 runs from record 1
  // to 2, segment 2 from record 2 to 3; every field moves by 10 a segment, so
  // the first segment is a straight line. The second ends with the tangent
  // towards the empty slot 4: at its middle field k is
  // 0.5 (20 + k) + 0.125 * 10 + 0.5 (30 + k) - 0.125 (0 - (30 + k)) = 30 + 1.125 k.
  const TCameraPath path = LoadedPath(CameraFile(4));
  struct {
    float f;
    float field0;  // field k is field0 + slope * k
    float slope;
  } cases[] = {{0.0f, 10, 1}, {0.25f, 15, 1}, {0.5f, 20, 1}, {0.75f, 30, 1.125f}};
  for (const auto& c : cases) {
    TCamera camera;
    SampleCameraPath(camera, path, c.f);
    const std::vector<float> got = Fields(camera);
    for (int k = 0; k < 10; ++k)
      EXPECT_FLOAT_EQ(got[k], c.field0 + c.slope * k) << "f " << c.f << " field " << k;
  }
  TCamera start;
  SampleCameraPath(start, path, 0.0f);
  EXPECT_EQ(Fields(start), Fields(Key(10)));
  TCamera end;
  SampleCameraPath(end, path, 0.9999f);
  for (int k = 0; k < 10; ++k)
    EXPECT_NEAR(Fields(end)[k], Fields(Key(30))[k], 0.01f);
}

TEST(CameraSampler, HermiteEndsAndTangents)
{
  EXPECT_FLOAT_EQ(HermiteStep(0.0f, 2, 5, 11), 2.0f);
  EXPECT_FLOAT_EQ(HermiteStep(1.0f, 2, 5, 11), 5.0f);
  // Tangents P1 - P0 = 3 at the start and P2 - P1 = 6 at the end.
  const float h = 1e-3f;
  EXPECT_NEAR((HermiteStep(h, 2, 5, 11) - 2) / h, 3.0f, 0.02f);
  EXPECT_NEAR((5 - HermiteStep(1 - h, 2, 5, 11)) / h, 6.0f, 0.02f);
}

TEST(CameraSampler, FullPathReadsZeroPastTheLastSlot)
{
  const TCameraPath path = LoadedPath(CameraFile(100));
  ASSERT_EQ(path.Count, 100);
  TCamera camera;
  SampleCameraPath(camera, path, 0.99999f);
  // The last segment runs from record 98 (field 980) to 99 (990) with the end
  // tangent 0 - 990 towards an all-zero slot; 0.99999 is 0.99902 of the way
  // along it, so the field has just overshot 990 by about 990 * 0.00098.
  EXPECT_FLOAT_EQ(camera.FieldOfView, 990.96759f);
}

TEST(CameraFile, RecordCountIsSizeDividedByForty)
{
  struct {
    size_t records;
    size_t extra;
    int32_t count;
  } cases[] = {{0, 0, 0}, {2, 5, 2}, {0, 39, 0}, {4, 0, 4}, {100, 39, 100}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = CameraFile(static_cast<int>(c.records), c.extra);
    TCameraPath path = {};
    std::string error;
    ASSERT_TRUE(ParseCameraPath(path, bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(path.Count, c.count) << bytes.size() << " bytes";
    if (c.records > 1) {
      EXPECT_EQ(Fields(path.CameraKeys[1]), Fields(Key(10)));
    }
  }
}

TEST(CameraFile, MoreThanHundredRecordsIsRefused)
{
  const std::vector<uint8_t> bytes = CameraFile(101);
  TCameraPath path = {};
  path.Count = 7;
  std::string error;
  EXPECT_FALSE(ParseCameraPath(path, bytes.data(), bytes.size(), error));
  EXPECT_NE(error.find("101"), std::string::npos) << error;
  EXPECT_EQ(path.Count, 7);
}

TEST(CameraFile, SaveThenLoadRoundTrips)
{
  TTempDir dir;
  TCameraPath path = {};
  for (int k = 1; k <= 3; ++k)
    ASSERT_TRUE(AppendCameraKey(path, Key(k)));
  std::string error;
  ASSERT_TRUE(SaveCameraPath(path, dir.File("three.camera"), error)) << error;
  // Slots 0 to Count - 1 are written: the zero slot and the first two keys.
  TCameraPath loaded = {};
  LoadCameraPath(loaded, dir.File("three.camera"));
  ASSERT_EQ(loaded.Count, 3);
  EXPECT_EQ(Fields(loaded.CameraKeys[0]), Fields(TCamera{}));
  EXPECT_EQ(Fields(loaded.CameraKeys[1]), Fields(Key(1)));
  EXPECT_EQ(Fields(loaded.CameraKeys[2]), Fields(Key(2)));
}

TEST(CameraFile, ClearKeepsSlotsSoSaveWritesOldSlotZero)
{
  TTempDir dir;
  WriteBytes(dir.File("old.camera"), CameraFile(3));
  TCameraPath path = {};
  LoadCameraPath(path, dir.File("old.camera"));
  ClearCameraPath(path);
  ASSERT_TRUE(AppendCameraKey(path, Key(50)));
  std::string error;
  ASSERT_TRUE(SaveCameraPath(path, dir.File("new.camera"), error)) << error;
  TCameraPath reloaded = {};
  LoadCameraPath(reloaded, dir.File("new.camera"));
  ASSERT_EQ(reloaded.Count, 1);
  EXPECT_EQ(Fields(reloaded.CameraKeys[0]), Fields(Key(0)));
}

TEST(CameraFile, AppendStopsAtTheLastSlot)
{
  TCameraPath path = {};
  for (int k = 1; k <= 99; ++k)
    ASSERT_TRUE(AppendCameraKey(path, Key(k)));
  EXPECT_FALSE(AppendCameraKey(path, Key(1000)));
  EXPECT_EQ(path.Count, 99);
  EXPECT_EQ(Fields(path.CameraKeys[99]), Fields(Key(99)));
}

TEST(CameraFileDeathTest, MissingOrOverlongFileIsFatalAndNamesTheFile)
{
  TTempDir dir;
  WriteBytes(dir.File("long.camera"), CameraFile(150));
  TCameraPath path = {};
  EXPECT_EXIT(LoadCameraPath(path, dir.File("missing.camera")), ::testing::ExitedWithCode(1),
              "missing.camera: No such file");
  EXPECT_EXIT(LoadCameraPath(path, dir.File("long.camera")), ::testing::ExitedWithCode(1),
              "long.camera: holds 150 camera records");
}

// Paths loaded once stay remembered; a reload reads each file again into its
// path, or keeps the path as it was and names the file and the reason.
class CameraPathReload : public ::testing::Test {
protected:
  void SetUp() override
  {
    ForgetCameraPaths();  // earlier tests' paths are gone
    dir.Enter();
  }
  void TearDown() override { ForgetCameraPaths(); }
  TTempDir dir;
  TCameraPath first = {};
  TCameraPath second = {};
};

TEST_F(CameraPathReload, TakesAGoodFileAndKeepsTheOldPathOnABadOne)
{
  WriteBytes(dir.File("data/first.camera"), CameraFile(3));
  WriteBytes(dir.File("data/second.camera"), CameraFile(3));
  LoadCameraPath(first, "data\\first.camera");
  LoadCameraPath(second, "data\\second.camera");
  LoadCameraPath(first, "data\\first.camera");  // a second load is remembered once

  const struct {
    const char* name;
    int records;        // -1: the file is removed
    const char* reason;  // nullptr: the file is good
  } cases[] = {
      {"a longer path", 5, nullptr},
      {"more records than a path holds", 101, "holds 101 camera records"},
      {"a shorter path", 4, nullptr},
      {"a missing file", -1, "No such file"},
      {"an empty file", 0, nullptr},
      {"a path again", 6, nullptr},
  };
  int secondRecords = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.records < 0)
      std::remove(dir.File("data/first.camera").c_str());
    else
      WriteBytes(dir.File("data/first.camera"), CameraFile(c.records));
    WriteBytes(dir.File("data/second.camera"), CameraFile(++secondRecords));
    const TCameraPath before = first;

    std::vector<std::string> failures;
    const int reloaded = ReloadCameraPaths(failures);

    EXPECT_EQ(second.Count, secondRecords);
    if (c.reason) {
      EXPECT_EQ(reloaded, 1);
      ASSERT_EQ(failures.size(), 1u);
      EXPECT_EQ(failures[0].rfind("data\\first.camera: ", 0), 0u) << failures[0];
      EXPECT_NE(failures[0].find(c.reason), std::string::npos) << failures[0];
      EXPECT_EQ(std::memcmp(&first, &before, sizeof first), 0);
    } else {
      EXPECT_EQ(reloaded, 2);
      EXPECT_TRUE(failures.empty());
      ASSERT_EQ(first.Count, c.records);
      if (c.records > 0) {
        EXPECT_EQ(Fields(first.CameraKeys[c.records - 1]), Fields(Key(10.0f * (c.records - 1))));
      }
    }
  }
}

TEST(CameraMotion, TurnUsesTheDirectionFromEntry)
{
  TCamera camera = DefaultCamera();
  SetCamera(camera, 1, 2, 3, 4, 6, 15, 0, 1, 0);
  const float a = 0.3f, b = 0.5f;
  TurnCamera(camera, a, b, 0);
  // The direction from entry is (3, 4, 12). z comes from the b rotation
  // alone: 3 + 3 sin 0.5 + 12 cos 0.5; y from a: 2 + 4 cos 0.3 - 12 sin 0.3;
  // x from b: 1 + 3 cos 0.5 - 12 sin 0.5.
  EXPECT_FLOAT_EQ(camera.Target.z, 14.9692669f);
  EXPECT_FLOAT_EQ(camera.Target.y, 2.27510357f);
  EXPECT_FLOAT_EQ(camera.Target.x, -2.12035894f);
  EXPECT_FLOAT_EQ(camera.Eye.x, 1);
  EXPECT_FLOAT_EQ(camera.Up.y, 1);
}

TEST(CameraMotion, MovesOfTheDefaultCamera)
{
  struct {
    const char* name;
    void (*move)(TCamera&);
    TVector3 eye;
  } cases[] = {
      {"advance", [](TCamera& c) { AdvanceCamera(c, 0.5f); }, {0, 0, 0}},
      {"strafe", [](TCamera& c) { StrafeCamera(c, 0.01f); }, {2, 0, -10}},
      {"raise", [](TCamera& c) { RaiseCamera(c, 3); }, {0, 3, -10}},
  };
  for (const auto& c : cases) {
    TCamera camera = DefaultCamera();
    c.move(camera);
    EXPECT_FLOAT_EQ(camera.Eye.x, c.eye.x) << c.name;
    EXPECT_FLOAT_EQ(camera.Eye.y, c.eye.y) << c.name;
    EXPECT_FLOAT_EQ(camera.Eye.z, c.eye.z) << c.name;
    EXPECT_FLOAT_EQ(camera.FieldOfView, 70) << c.name;
  }
}
