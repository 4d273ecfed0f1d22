// Drawing passes that several scenes put between the common frame steps of
// scenes/frame.h: the Wobbla and arounder models, lit textured models, the
// placing of the human models, and the captions drawn last, over the finished
// frame, and the end of every scene's frame. They sit apart from scenes/plans.h so that the plans stay plain
// arithmetic with no GL, and apart from scenes/frame.h, whose steps every
// scene runs. Every function here issues GL calls.
#pragma once

#include "engine/geox.h"
#include "scenes/plans.h"

// WobblaModels from their display lists, lit and sphere-mapped with the
// "WOBBLAENV" texture, the last model with "WOBBLAENVRED" instead. Turns
// lighting and texturing on; leaves lighting and sphere mapping off,
// texturing on and the colour white.
void DrawWobblaModels();

// ArounderModel from its display list: opaque, lit with the default material,
// untextured, writing depth. Leaves blending, lighting and texturing off and
// the colour white.
void DrawArounderModel();

// Entry i of scene, smooth-shaded and lit (default material) with the texture
// of its own name. Lighting is off again afterwards.
void DrawModelLit(const TGeoxScene& scene, int i);

// The human models stand in the city turned half round about y, at
// (-50, 239.8, z) and 1/70 of their modelled size. Multiplies the modelview
// matrix; the caller pushes and pops it.
void PlaceHumanModels(float z);

// One caption line with FontTexture, blended over the frame, as DrawText
// draws it and leaves the state.
void DrawCaption(const TCaption& caption);

// The trail factor of every scene: how much of the old picture the trail keeps.
constexpr float SceneTrailFactor = 0.3f;

// The end of every scene's frame, after DrawLetterboxBars: FinishFrame runs
// the post-processing chain with SceneTrailFactor, the plan's FadeLevel as the
// blur mix and the frame's pacing, then the plan's captions are drawn over the
// finished frame.
template <class TPlan>
void EndSceneFrame(const TPlan& plan, TFramePacing pacing)
{
  FinishFrame(SceneTrailFactor, plan.FadeLevel, pacing);
  for (const TCaption& caption : plan.Captions)
    DrawCaption(caption);
}
