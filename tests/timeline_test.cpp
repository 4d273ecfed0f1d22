#include "host/timeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

struct TTimelineCase {
  int32_t t;
  int activeSlot;
  float progress;
};

std::vector<int> RenderedSlots;

class TRecordingScene : public mve_genericscene {
public:
  explicit TRecordingScene(int slot) : Slot(slot) {}
  void Render(int32_t) override
  {
    RenderedSlots.push_back(Slot);
    std::fprintf(stderr, "RENDERED %d\n", Slot);
  }
  int Slot;
};

// Replaces every filled slot by a recording scene with the same interval.
class DrawFrameTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    BuildSceneTable();
    for (int slot = 0; slot < SceneSlotCount; ++slot) {
      if (!SceneTable[slot])
        continue;
      auto scene = std::make_unique<TRecordingScene>(slot);
      scene->StartTime = SceneTable[slot]->StartTime;
      scene->EndTime = SceneTable[slot]->EndTime;
      SceneTable[slot] = std::move(scene);
    }
    RenderedSlots.clear();
    FrameElapsed = 999;
    FrameStep = 30;
  }
  void TearDown() override { BuildSceneTable(); }
};

}  // namespace

TEST(SceneTableTest, ProgressAtTheBoundaries)
{
  BuildSceneTable();
  const TTimelineCase cases[] = {
      {0, 0, 0.0f},
      {48077, 0, static_cast<float>(48077.0 / 48078.0)},
      {48078, 1, 0.0f},
      {132194, 6, 0.0f},
      {223999, 12, static_cast<float>((223999.0 - 216119.0) / (226293.0 - 216119.0))},
  };
  for (const auto& c : cases) {
    int active = -1;
    int activeCount = 0;
    for (int slot = 0; slot < SceneSlotCount; ++slot) {
      if (SceneTable[slot] && SceneTable[slot]->Progress(c.t) != -1.0f) {
        active = slot;
        ++activeCount;
      }
    }
    EXPECT_EQ(activeCount, 1) << "t " << c.t;
    ASSERT_EQ(active, c.activeSlot) << "t " << c.t;
    EXPECT_EQ(SceneTable[active]->Progress(c.t), c.progress) << "t " << c.t;
  }
}

TEST(SceneTableTest, SlotsAndPlaceholders)
{
  BuildSceneTable();
  for (int slot = 0; slot < SceneSlotCount; ++slot) {
    if (slot < 20) {
      ASSERT_TRUE(SceneTable[slot]) << slot;
    } else {
      EXPECT_FALSE(SceneTable[slot]) << slot;
      continue;
    }
    if (slot >= 13) {
      EXPECT_EQ(SceneTable[slot]->StartTime, 0);
      EXPECT_EQ(SceneTable[slot]->EndTime, 0);
      for (int32_t t : {0, 1, 100000, -5})
        EXPECT_EQ(SceneTable[slot]->Progress(t), -1.0f) << slot << " at " << t;
    }
  }
  // The thirteen intervals tile [0, 226293) without gaps.
  EXPECT_EQ(SceneTable[0]->StartTime, 0);
  for (int slot = 1; slot < 13; ++slot)
    EXPECT_EQ(SceneTable[slot]->StartTime, SceneTable[slot - 1]->EndTime) << slot;
  EXPECT_EQ(SceneTable[12]->EndTime, 226293);
  EXPECT_EQ(SceneTable[0]->Progress(-1), -1.0f);
  EXPECT_EQ(SceneTable[12]->Progress(226293), -1.0f);
}

TEST_F(DrawFrameTest, RendersOnlyTheActiveSlotAndPaces)
{
  struct {
    std::initializer_list<int32_t> script;
    int slot;
    int32_t elapsed;
    int polls;
  } cases[] = {
      {{500, 510, 519, 520}, 0, 20, 4},
      {{48078, 48200}, 1, 122, 2},        // a jump ends the wait at once
      {{223999, 224019}, 12, 20, 2},      // the last frame is still drawn
      {{60095, 60096, 60114, 60116}, 1, 21, 4},
  };
  for (const auto& c : cases) {
    TScriptedClock clock;
    clock.Script(c.script);
    RenderedSlots.clear();
    DrawFrame(clock);
    EXPECT_EQ(RenderedSlots, std::vector<int>{c.slot});
    EXPECT_EQ(MusicTime, *c.script.begin());
    EXPECT_EQ(FrameElapsed, c.elapsed);
    EXPECT_EQ(FrameStep, 20);
    EXPECT_EQ(clock.Polls, c.polls);
  }
}

TEST_F(DrawFrameTest, EndsWithStatusZeroPastTheLastFrameBeforeDrawing)
{
  EXPECT_EXIT(
      {
        TScriptedClock clock;
        clock.Script({224000});
        DrawFrame(clock);
        std::fprintf(stderr, "RETURNED\n");
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "^$");
}
