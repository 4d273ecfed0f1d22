#include "engine/camera.h"

#include "engine/bytes.h"
#include "engine/fatal.h"
#include "engine/paths.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

TCamera Camera = DefaultCamera();
TCameraPath RecordedPath = {};

namespace {

// Every path LoadCameraPath has filled, with its file, for ReloadCameraPaths.
struct TLoadedPath {
  TCameraPath* Path;
  std::string FileName;
};
std::vector<TLoadedPath> LoadedPaths;

// The file's keys, or false with the reason.
bool ReadCameraPath(TCameraPath& path, const std::string& fileName, std::string& error)
{
  std::vector<uint8_t> bytes;
  return ReadFileBytes(fileName, bytes, error) &&
         ParseCameraPath(path, bytes.data(), bytes.size(), error);
}

}  // namespace

TCamera DefaultCamera()
{
  return TCamera{70.0f, {0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 10.0f}, {0.0f, 10.0f, 0.0f}};
}

void SetCamera(TCamera& camera, float eyeX, float eyeY, float eyeZ, float targetX,
               float targetY, float targetZ, float upX, float upY, float upZ)
{
  camera.Eye = {eyeX, eyeY, eyeZ};
  camera.Target = {targetX, targetY, targetZ};
  camera.Up = {upX, upY, upZ};
}

void RaiseCamera(TCamera& camera, float step)
{
  camera.Eye.y += step;
  camera.Target.y += step;
}

void AdvanceCamera(TCamera& camera, float step)
{
  const float dx = camera.Target.x - camera.Eye.x;
  const float dz = camera.Target.z - camera.Eye.z;
  camera.Eye.x += step * dx;
  camera.Eye.z += step * dz;
  camera.Target.x += step * dx;
  camera.Target.z += step * dz;
}

void StrafeCamera(TCamera& camera, float step)
{
  const TVector3 d = {camera.Target.x - camera.Eye.x, camera.Target.y - camera.Eye.y,
                      camera.Target.z - camera.Eye.z};
  const TVector3& up = camera.Up;
  const float sideX = up.y * d.z - up.z * d.y;
  const float sideZ = up.x * d.y - up.y * d.x;
  camera.Eye.x += step * sideX;
  camera.Target.x += step * sideX;
  camera.Eye.z += step * sideZ;
  camera.Target.z += step * sideZ;
}

void TurnCamera(TCamera& camera, float a, float b, float c)
{
  const TVector3 d = {camera.Target.x - camera.Eye.x, camera.Target.y - camera.Eye.y,
                      camera.Target.z - camera.Eye.z};
  const TVector3& eye = camera.Eye;
  if (a != 0.0f) {
    camera.Target.z = eye.z + d.y * std::sin(a) + d.z * std::cos(a);
    camera.Target.y = eye.y + d.y * std::cos(a) - d.z * std::sin(a);
  }
  if (b != 0.0f) {
    camera.Target.z = eye.z + d.x * std::sin(b) + d.z * std::cos(b);
    camera.Target.x = eye.x + d.x * std::cos(b) - d.z * std::sin(b);
  }
  if (c != 0.0f) {
    camera.Target.x = eye.x + d.y * std::sin(c) + d.x * std::cos(c);
    camera.Target.y = eye.y + d.y * std::cos(c) - d.x * std::sin(c);
  }
}

namespace {

void LoadProjection(float fieldOfView, double farPlane)
{
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fieldOfView, 1.33333333333, 0.1, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

void ApplyCamera(const TCamera& camera)
{
  LoadProjection(camera.FieldOfView, 99999.0);
  gluLookAt(camera.Eye.x, camera.Eye.y, camera.Eye.z, camera.Target.x, camera.Target.y,
            camera.Target.z, camera.Up.x, camera.Up.y, camera.Up.z);
}

void ApplySkyCamera(const TCamera& camera)
{
  LoadProjection(camera.FieldOfView, 999999.0);
  gluLookAt(0.0, 0.0, 0.0, camera.Eye.x - camera.Target.x, camera.Target.y - camera.Eye.y,
            camera.Eye.z - camera.Target.z, camera.Up.x, camera.Up.y, camera.Up.z);
}

void ClearCameraPath(TCameraPath& path)
{
  path.Count = 0;
}

bool AppendCameraKey(TCameraPath& path, const TCamera& camera)
{
  if (path.Count < 0 || path.Count >= CameraPathSlots - 1)
    return false;
  path.Count += 1;
  path.CameraKeys[path.Count] = camera;
  return true;
}

float HermiteStep(float t, float p0, float p1, float p2)
{
  const double u = t;
  const double u2 = u * u;
  const double u3 = u2 * u;
  const double value = (2 * u3 - 3 * u2 + 1) * p0 + (u3 - 2 * u2 + u) * (double(p1) - p0) +
                       (-2 * u3 + 3 * u2) * p1 + (u3 - u2) * (double(p2) - p1);
  return static_cast<float>(value);
}

namespace {

constexpr int FieldsPerKey = 10;

float KeyField(const TCameraPath& path, long slot, int field)
{
  if (slot < 0 || slot >= CameraPathSlots)
    return 0.0f;
  float fields[FieldsPerKey];
  std::memcpy(fields, &path.CameraKeys[slot], sizeof fields);
  return fields[field];
}

}  // namespace

void SampleCameraPath(TCamera& camera, const TCameraPath& path, float f)
{
  if (path.Count < 4) {
    camera = path.CameraKeys[1];
    return;
  }
  const int n = path.Count - 2;
  const float w = 1.0f / static_cast<float>(n);
  const long i = static_cast<long>(n * static_cast<double>(f));
  const float u = static_cast<float>((f - i * static_cast<double>(w)) / w);
  float fields[FieldsPerKey];
  for (int k = 0; k < FieldsPerKey; ++k)
    fields[k] = HermiteStep(u, KeyField(path, i + 1, k), KeyField(path, i + 2, k),
                            KeyField(path, i + 3, k));
  std::memcpy(&camera, fields, sizeof fields);
}

bool ParseCameraPath(TCameraPath& path, const uint8_t* bytes, size_t size, std::string& error)
{
  const size_t records = size / sizeof(TCamera);
  if (records > static_cast<size_t>(CameraPathSlots)) {
    error = "holds " + std::to_string(records) + " camera records, more than the " +
            std::to_string(CameraPathSlots) + " a path can hold";
    return false;
  }
  for (size_t r = 0; r < records; ++r) {
    float fields[FieldsPerKey];
    for (int k = 0; k < FieldsPerKey; ++k)
      fields[k] = ReadF32(bytes + r * sizeof(TCamera) + k * 4);
    std::memcpy(&path.CameraKeys[r], fields, sizeof fields);
  }
  path.Count = static_cast<int32_t>(records);
  return true;
}

void LoadCameraPath(TCameraPath& path, const std::string& fileName)
{
  std::string error;
  if (!ReadCameraPath(path, fileName, error))
    FatalFileError(fileName, error);
  const bool known = std::any_of(LoadedPaths.begin(), LoadedPaths.end(), [&](const TLoadedPath& p) {
    return p.Path == &path && p.FileName == fileName;
  });
  if (!known)
    LoadedPaths.push_back({&path, fileName});
}

int ReloadCameraPaths(std::vector<std::string>& failures)
{
  int reloaded = 0;
  for (const TLoadedPath& loaded : LoadedPaths) {
    TCameraPath fresh = *loaded.Path;
    std::string error;
    if (!ReadCameraPath(fresh, loaded.FileName, error)) {
      failures.push_back(loaded.FileName + ": " + error);
      continue;
    }
    *loaded.Path = fresh;
    ++reloaded;
  }
  return reloaded;
}

void ForgetCameraPaths()
{
  LoadedPaths.clear();
}

bool SaveCameraPath(const TCameraPath& path, const std::string& fileName, std::string& error)
{
  const int count = path.Count < 0 ? 0 : std::min(path.Count, CameraPathSlots);
  std::vector<uint8_t> bytes(static_cast<size_t>(count) * sizeof(TCamera));
  for (int r = 0; r < count; ++r) {
    float fields[FieldsPerKey];
    std::memcpy(fields, &path.CameraKeys[r], sizeof fields);
    for (int k = 0; k < FieldsPerKey; ++k)
      WriteF32(bytes.data() + r * sizeof(TCamera) + k * 4, fields[k]);
  }
  return WriteFileBytes(fileName, bytes.data(), bytes.size(), error);
}
