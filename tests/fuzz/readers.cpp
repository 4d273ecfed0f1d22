#include "tests/fuzz/readers.h"

#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/textures.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

bool ReadCameraPath(const uint8_t* bytes, size_t size, std::string& error)
{
  static TCameraPath path;
  path = {};
  if (!ParseCameraPath(path, bytes, size, error))
    return false;
  // The scenes sample a path anywhere in [0, 1); one fraction comes from the
  // input so that the fuzzer can steer it.
  float fractions[] = {0.0f, 0.25f, 0.5f, 0.75f, 0.99999f, 0.0f};
  if (size >= 2)
    fractions[5] = static_cast<float>(bytes[0] | bytes[1] << 8) / 65536.0f;
  TCamera camera = DefaultCamera();
  for (float f : fractions)
    SampleCameraPath(camera, path, f);
  return true;
}

void ComputeNormals(TGeoxData& model)
{
  ComputeFaceNormals(model);
  ComputeVertexNormals(model);
}

bool ReadGeox(const uint8_t* bytes, size_t size, std::string& error)
{
  TGeoxData model;
  if (ParseGeoxFile(bytes, size, model, error) != TGeoxFailure::None)
    return false;
  ComputeNormals(model);
  return true;
}

bool ReadTextGeox(const uint8_t* bytes, size_t size, std::string& error)
{
  TGeoxData model;
  if (ParseTextGeoxFile(bytes, size, model, error) != TGeoxFailure::None)
    return false;
  ComputeNormals(model);
  return true;
}

// The first two bytes shape the model the map is applied to (up to 63
// vertices and 63 faces, every face index valid); the rest is the map file.
bool ReadGeoxMap(const uint8_t* bytes, size_t size, std::string& error)
{
  if (size < 2) {
    error = "no model shape";
    return false;
  }
  const int32_t vertexCount = bytes[0] % 64;
  const int32_t faceCount = vertexCount == 0 ? 0 : bytes[1] % 64;
  TGeoxData model;
  AllocateGeox(model, vertexCount, faceCount);
  for (int32_t i = 0; i < faceCount; ++i)
    model.Faces[i] = {i % vertexCount, (i + 1) % vertexCount, (i + 2) % vertexCount, 0, 0, 0};
  if (!ParseGeoxMap(bytes + 2, size - 2, model, error))
    return false;
  ComputeNormals(model);
  return true;
}

bool ReadGeoxList(const uint8_t* bytes, size_t size, std::string& error)
{
  std::vector<std::string> entries;
  if (!ParseGeoxList(bytes, size, entries, error))
    return false;
  for (const std::string& entry : entries)
    GeoxObjectName(entry);
  return true;
}

bool ReadJpeg(const uint8_t* bytes, size_t size, std::string& error)
{
  TRgbImage image;
  return DecodeJpeg(bytes, size, image, error);
}

}  // namespace

const TFuzzReader FuzzReaders[] = {
    {"camera", ".camera", ReadCameraPath},  {"geox", ".geox", ReadGeox},
    {"textgeox", ".textgeox", ReadTextGeox}, {"map", ".map", ReadGeoxMap},
    {"list", ".list", ReadGeoxList},         {"jpeg", ".jpg", ReadJpeg},
};
const size_t FuzzReaderCount = sizeof FuzzReaders / sizeof FuzzReaders[0];

const TFuzzReader* FindFuzzReader(const char* name)
{
  for (const TFuzzReader& reader : FuzzReaders)
    if (std::strcmp(reader.Name, name) == 0)
      return &reader;
  return nullptr;
}
