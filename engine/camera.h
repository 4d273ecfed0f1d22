// The shared camera, recorded camera paths and the ".camera" file format.
//
// Angles given to the movement operations are radians; FieldOfView is in
// degrees. A ".camera" file is a headerless run of 40-byte records, each a
// TCamera as ten little-endian floats; trailing bytes are ignored.
//
// ApplyCamera and ApplySkyCamera issue GL calls; everything else is plain
// arithmetic on the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TVector3 {
  float x, y, z;
};

struct TCamera {
  float FieldOfView;
  TVector3 Eye;
  TVector3 Target;
  TVector3 Up;
};
static_assert(sizeof(TCamera) == 40, "TCamera is the 40-byte file record");

constexpr int CameraPathSlots = 100;

// Slot 0 is never sampled: recorded keys start at slot 1, and a loaded file's
// first record lands in slot 0 and is skipped.
struct TCameraPath {
  int32_t Count;
  TCamera CameraKeys[CameraPathSlots];
};

extern TCamera Camera;  // the frame's view; written by the scenes' paths and the free camera
extern TCameraPath RecordedPath;  // the free camera's keys; written by RecordCameraKey

// The camera every run starts with: field of view 70, eye (0, 0, -10),
// target (0, 0, 10), up (0, 10, 0).
TCamera DefaultCamera();

void SetCamera(TCamera& camera, float eyeX, float eyeY, float eyeZ, float targetX,
               float targetY, float targetZ, float upX, float upY, float upZ);
void RaiseCamera(TCamera& camera, float step);
// The step is proportional to the eye-target distance.
void AdvanceCamera(TCamera& camera, float step);
void StrafeCamera(TCamera& camera, float step);
// Turns the target about the eye: a about world X, b about world Y, c about
// world Z, all from the direction held on entry; a later axis overwrites the
// components an earlier one wrote.
void TurnCamera(TCamera& camera, float a, float b, float c);

void ApplyCamera(const TCamera& camera);
// Rotation-only view with x and z of the direction mirrored, for the sky model
// drawn around the origin.
void ApplySkyCamera(const TCamera& camera);

void ClearCameraPath(TCameraPath& path);
// Returns false (and records nothing) once slot 99 is taken.
bool AppendCameraKey(TCameraPath& path, const TCamera& camera);

float HermiteStep(float t, float p0, float p1, float p2);
// f in [0, 1). Slots beyond the 100 of the path read as zero.
void SampleCameraPath(TCamera& camera, const TCameraPath& path, float f);

// Parses the bytes of a ".camera" file into slots 0 onward. Fails, leaving
// the path untouched, when the file holds more than 100 records.
bool ParseCameraPath(TCameraPath& path, const uint8_t* bytes, size_t size, std::string& error);

// LoadCameraPath: any failure is fatal and names the file. It also remembers the path with its file name for
// ReloadCameraPaths, so a path given to it must live until the next reload
// (the scenes' paths live for the whole run) or be forgotten.
void LoadCameraPath(TCameraPath& path, const std::string& fileName);
// Replaces the file with the path's slots 0 to Count - 1, whole or not at all:
// a failed save keeps the old file and returns false with the system's reason.
bool SaveCameraPath(const TCameraPath& path, const std::string& fileName, std::string& error);

// Reads every file LoadCameraPath has loaded again, into its path. A path
// takes the new keys only when its file reads and parses; otherwise it keeps
// the keys it had and the failure is added to failures as "file: reason".
// Nothing is fatal here. Returns how many paths took new keys.
int ReloadCameraPaths(std::vector<std::string>& failures);
// Drops every remembered path (for paths that end before the process does).
void ForgetCameraPaths();
