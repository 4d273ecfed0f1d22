// Everything the scenes draw, loaded or generated once at start-up by
// LoadAssets: the named textures, the frames of the three screen loops, the
// five model directories, single models, special textures, the five terrain
// height fields, the smoke particles, the dust streaks and the display lists.
//
// The generated data draws from NextRandom (engine/random.h) first, before
// the scenes' beat shake continues the same sequence. The Build/Generate
// functions touch no GL; LoadAssets does.
#pragma once

#include "engine/geox.h"
#include "engine/random.h"

#include <cstdint>

constexpr int LoopSlotCount = 16;
constexpr int TerrainCount = 4;
constexpr int TerrainSide = 256;
constexpr int ParticleCount = 501;
constexpr int StreakCount = 5001;

extern uint32_t Loop1Frames[LoopSlotCount];  // GL texture names; loaded by LoadAssets
extern uint32_t Loop2Frames[LoopSlotCount];  // GL texture names; loaded by LoadAssets
extern uint32_t Loop3Frames[LoopSlotCount];  // GL texture names; loaded by LoadAssets

extern TGeoxScene CityModels;    // loaded by LoadAssets
extern TGeoxScene WobblaModels;  // loaded by LoadAssets, compiled into display lists
extern TGeoxScene HumaModels;    // loaded by LoadAssets
extern TGeoxScene HumbModels;    // loaded by LoadAssets
extern TGeoxScene HumcModels;    // loaded by LoadAssets

// The water's four height fields; the water step blends two of them into its
// own surface every frame (BlendWaterSurface).
extern TGeoxData Terrains[TerrainCount];  // built by LoadAssets
extern TGeoxData SkyModel;       // loaded by LoadAssets, with its texture and display list
extern TGeoxData ArounderModel;  // loaded by LoadAssets, with its display list
extern TGeoxData CorridorModel;  // loaded by LoadAssets
extern TGeoxData KubaModel;      // loaded by LoadAssets

extern uint32_t SunTexture;      // GL texture name; loaded by LoadAssets
extern uint32_t WallEnvTexture;  // GL texture name; loaded by LoadAssets
extern uint32_t SmogTexture;     // GL texture name; loaded by LoadAssets

struct TPoint3 {
  float x, y, z;
};
// A streak's two ends in the ground plane of its own transform (y 0).
struct TStreak {
  float x0, z0, x1, z1;
};

extern TPoint3 Particles[ParticleCount];  // world units; written by GenerateParticles
extern TStreak Streaks[StreakCount];  // world units; written by GenerateStreaks

// Terrain m: a 256 x 256 height field (random bumps over a sine pattern),
// spanning about -4980 to 4980 in x and z and 20 to 80 in y, with normals.
void BuildTerrain(TGeoxData& terrain, int m);
// 501 smoke directions, x and z in [-50, 50), y in [500, 699].
void GenerateParticles();
// 5001 streaks from (x1, z1) to (x0, z0), each coordinate within +-1500.
void GenerateStreaks();

// Loads and generates everything, in a fixed order (it fixes the random
// sequence and the order of Textures). Any missing or bad file is fatal.
void LoadAssets();
