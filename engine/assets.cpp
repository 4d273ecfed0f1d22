#include "engine/assets.h"

#include "engine/numbers.h"
#include "engine/textures.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

uint32_t Loop1Frames[LoopSlotCount] = {};
uint32_t Loop2Frames[LoopSlotCount] = {};
uint32_t Loop3Frames[LoopSlotCount] = {};

TGeoxScene CityModels;
TGeoxScene WobblaModels;
TGeoxScene HumaModels;
TGeoxScene HumbModels;
TGeoxScene HumcModels;

TGeoxData Terrains[TerrainCount];
TGeoxData SkyModel;
TGeoxData ArounderModel;
TGeoxData CorridorModel;
TGeoxData KubaModel;

uint32_t SunTexture = 0;
uint32_t WallEnvTexture = 0;
uint32_t SmogTexture = 0;

TPoint3 Particles[ParticleCount] = {};
TStreak Streaks[StreakCount] = {};

void BuildTerrain(TGeoxData& terrain, int m)
{
  uint8_t heights[TerrainSide][TerrainSide];
  for (int i = 0; i < TerrainSide; ++i) {
    for (int j = 0; j < TerrainSide; ++j) {
      const int r = NextRandom(64);
      const double a = 96 * std::sin(m * Pi / 2 + 32 * Pi * j / 255);
      // nearbyint rounds halves to even under the default rounding mode.
      const double n = std::nearbyint(96 + a * std::sin(32 * Pi * i / 255));
      heights[i][j] = static_cast<uint8_t>(r + static_cast<int>(n));
    }
  }

  AllocateGeox(terrain, TerrainSide * TerrainSide, 2 * (TerrainSide - 1) * (TerrainSide - 1));
  for (int i = 0; i < TerrainSide; ++i) {
    for (int j = 0; j < TerrainSide; ++j) {
      GeoxVertex& v = terrain.Vertices[TerrainSide * i + j];
      v.x = static_cast<float>((j - 127.5) / 51.2 * 2000);
      v.z = static_cast<float>((i - 127.5) / 51.2 * 2000);
      v.y = static_cast<float>(heights[i][j] / 255.0 * 60 + 20);
    }
  }
  auto vertex = [](int i, int j) { return TerrainSide * i + j; };
  for (int i = 0; i < TerrainSide - 1; ++i) {
    for (int j = 0; j < TerrainSide - 1; ++j) {
      const int f = 2 * ((TerrainSide - 1) * i + j);
      GeoxFace& first = terrain.Faces[f];
      first.a = vertex(i + 1, j);
      first.b = vertex(i, j);
      first.c = vertex(i, j + 1);
      GeoxFace& second = terrain.Faces[f + 1];
      second.a = vertex(i, j + 1);
      second.b = vertex(i + 1, j + 1);
      second.c = vertex(i + 1, j);
    }
  }
  ComputeFaceNormals(terrain);
  ComputeVertexNormals(terrain);
}

namespace {

// 2 * NextRandom(1000) / 1000 - 1, in [-1, 1).
double RandomSigned()
{
  return 2.0 * NextRandom(1000) / 1000 - 1;
}

float StreakCoordinate()
{
  const double s = RandomSigned();
  const int m = NextRandom(1100) + 400;
  return static_cast<float>(m * s);
}

void LoadSceneNormals(TGeoxScene& scene, const std::string& directory)
{
  LoadGeoxList(scene, directory, "geometry.list");
  for (TGeoxData& model : scene.Models)
    ComputeFaceNormals(model);
  for (TGeoxData& model : scene.Models)
    ComputeVertexNormals(model);
}

void LoadLoopFrames(uint32_t* slots, const char* stem, int frames)
{
  for (int n = 0; n < frames; ++n)
    slots[n] = LoadTexture(std::string(stem) + std::to_string(n) + ".jpg", GL_NEAREST, GL_NEAREST);
}

uint32_t CompileList(void (*draw)(const TGeoxData&), const TGeoxData& model)
{
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  draw(model);
  glEndList();
  return list;
}

}  // namespace

void GenerateParticles()
{
  for (int k = 0; k < ParticleCount; ++k) {
    Particles[k].y = static_cast<float>(NextRandom(200) + 500);
    Particles[k].x = static_cast<float>(RandomSigned() * 50);
    Particles[k].z = static_cast<float>(RandomSigned() * 50);
  }
}

void GenerateStreaks()
{
  for (TStreak& streak : Streaks) {
    streak.x0 = StreakCoordinate();
    streak.z0 = StreakCoordinate();
    streak.x1 = StreakCoordinate();
    streak.z1 = StreakCoordinate();
  }
}

void LoadAssets()
{
  for (int m = 0; m < TerrainCount; ++m)
    BuildTerrain(Terrains[m], m);
  // The water's surface is blended from the fields every frame, but a fifth
  // field's draws stay in the random sequence, which the particles, the
  // streaks and the beat shake go on from.
  for (int k = 0; k < TerrainSide * TerrainSide; ++k)
    NextRandom(64);

  for (const char* name : {"data\\nogi.jpg", "data\\head.jpg", "data\\shirt.jpg", "data\\hands.jpg"})
    AddTexture(Textures, name);

  LoadLoopFrames(Loop1Frames, "data\\loop1-", 6);
  Loop1Frames[6] = Loop1Frames[4];
  Loop1Frames[7] = Loop1Frames[3];
  Loop1Frames[8] = Loop1Frames[2];
  Loop1Frames[9] = Loop1Frames[1];
  LoadLoopFrames(Loop2Frames, "data\\loop2-", 5);
  Loop2Frames[5] = Loop2Frames[3];
  Loop2Frames[6] = Loop2Frames[2];
  Loop2Frames[7] = Loop2Frames[1];
  LoadLoopFrames(Loop3Frames, "data\\loop3-", 10);

  LoadGeoxFile(CorridorModel, "Data\\corridor.geox");
  LoadGeoxMap(CorridorModel, "data\\corridor.map");
  AddTexture(Textures, "data\\corridor.jpg");

  LoadGeoxFile(KubaModel, "Data\\kuba.geox");
  LoadGeoxMap(KubaModel, "data\\kuba.map");
  ComputeFaceNormals(KubaModel);
  ComputeVertexNormals(KubaModel);
  AddTexture(Textures, "data\\kuba.jpg");

  AddTexture(Textures, "data\\net.jpg");
  LoadSceneNormals(HumcModels, "Humc\\");
  AddTexture(Textures, "data\\water.jpg");
  LoadSceneNormals(CityModels, "City\\");

  LoadTextGeoxFile(SkyModel, "data\\sky.textgeox");
  SkyModel.Texture = LoadTexture("data\\sky.jpg", GL_LINEAR, GL_LINEAR);

  LoadSceneNormals(WobblaModels, "Wobbla\\");
  for (const char* name : {"Wobbla\\wobblaenv.jpg", "Wobbla\\wobblaenvred.jpg", "Data\\Atom.jpg"})
    AddTexture(Textures, name);

  LoadTextGeoxFile(ArounderModel, "data\\arounder.textgeox");
  ComputeFaceNormals(ArounderModel);
  ComputeVertexNormals(ArounderModel);

  WallEnvTexture = LoadAlphaTexture("city\\wall.jpg", "city\\wallenvalpha.jpg", GL_NEAREST,
                                    GL_LINEAR_MIPMAP_LINEAR);
  SmogTexture = LoadAlphaTexture("data\\smog.jpg", "data\\smogalpha.jpg", GL_LINEAR,
                                 GL_LINEAR_MIPMAP_LINEAR);
  SunTexture = LoadTexture("data\\sun.jpg", GL_LINEAR, GL_LINEAR);

  LoadSceneNormals(HumaModels, "Huma\\");
  for (const char* name : {"City\\tube.jpg", "City\\wall.jpg", "City\\side.jpg", "City\\cave.jpg",
                           "City\\front.jpg", "city\\envglobal.jpg", "city\\wallenvalpha.jpg"})
    AddTexture(Textures, name);
  LoadSceneNormals(HumbModels, "Humb\\");

  GenerateParticles();
  GenerateStreaks();

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  ArounderModel.ListId = CompileList(DrawGeoxSmooth, ArounderModel);
  SkyModel.ListId = CompileList(DrawGeoxTextured, SkyModel);
  for (TGeoxData& model : WobblaModels.Models)
    model.ListId = CompileList(DrawGeoxSmooth, model);
}
