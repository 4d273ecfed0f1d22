// Drawing passes that some scenes put between the common frame steps of
// scenes/frame.h: the Wobbla and arounder models, lit textured models and the
// placing of the human models. They sit apart from scenes/plans.h so that the
// plans stay plain arithmetic with no GL, and apart from scenes/frame.h, whose
// steps every scene runs; like those steps they call only the engine below
// them. Every function here issues GL calls.
#pragma once

#include "engine/geox.h"

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
