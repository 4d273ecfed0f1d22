// Geox triangle models: the binary ".geox" and text ".textgeox" model files,
// ".map" texture-coordinate files, the per-directory "geometry.list", normals
// and drawing.
//
// Files store x, then the model's z, then the model's y: the readers swap the
// second and third coordinate so that y is the scenes' up axis. Binary values
// are little-endian. A face's winding fixes its normal: a, b, c counter-
// clockwise seen from the front gives a normal towards the viewer.
//
// The Parse* functions read bytes and touch no GL; on failure they give a
// reason for people and leave the model unchanged, and the two model parsers
// also say which kind of failure it was. The Load* functions read the file
// (the name goes through ResolvePath, so backslashes and any letter case
// work) and end the process with a fatal error on any failure: a face index
// outside the model shows exactly GeoxCorruptedMessage, anything else names
// the file and the reason.
//
// The Draw* functions draw from client vertex arrays (glDrawArrays or
// glDrawRangeElements between glPushClientAttrib and glPopClientAttrib), so
// the client array state is left as it was found. They bind no texture and
// set no other state, and leave the current normal and texture coordinate
// undefined: the caller sets texture, lighting, colour and texture-coordinate
// generation first. The arrays are read during the call, so a draw may be
// compiled into a display list, which keeps the vertices. A model without
// faces issues no GL call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct GeoxVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

// Indices into the model's Vertices; 0 to VertexCount - 1 once loaded.
struct GeoxFace {
  int32_t a, b, c;
  float nx, ny, nz;
};

struct TGeoxData {
  uint32_t ListId = 0;   // display list, set by the asset loader
  uint32_t Texture = 0;  // texture of the model, set by the asset loader
  int32_t FaceCount = 0;
  int32_t VertexCount = 0;
  std::vector<GeoxVertex> Vertices;
  std::vector<GeoxFace> Faces;
};

// The models of one directory. Entry i of the three arrays is one model;
// names need not be unique.
struct TGeoxScene {
  int32_t Count = 0;
  std::vector<TGeoxData> Models;
  std::vector<std::string> FileNames;  // list lines, upper-cased
  std::vector<std::string> Names;      // GeoxObjectName of each line
};

// The message shown on its own, instead of the file and the reason, for a
// face index that is negative or not below the model's VertexCount.
extern const char* const GeoxCorruptedMessage;

// How a model file failed to parse: the loaders report the two kinds
// differently.
enum class TGeoxFailure {
  None,              // parsed
  Malformed,         // too short, a negative count or a malformed number
  FaceOutsideModel,  // a face index negative or not below the vertex count
};

TGeoxFailure ParseGeoxFile(const uint8_t* bytes, size_t size, TGeoxData& model,
                           std::string& error);
TGeoxFailure ParseTextGeoxFile(const uint8_t* bytes, size_t size, TGeoxData& model,
                               std::string& error);
// Writes u, v of every vertex named in the map's face lines; each index
// selects both the vertex and the coordinate pair, so it must lie below the
// model's VertexCount and the file's pair count.
bool ParseGeoxMap(const uint8_t* bytes, size_t size, TGeoxData& model, std::string& error);
// The entries of a list file, upper-cased (ASCII letters only). Entries are
// the first N lines, N being the number of non-empty lines, so blank lines
// may only follow the last entry. A "\r" before a line break is dropped.
bool ParseGeoxList(const uint8_t* bytes, size_t size, std::vector<std::string>& entries,
                   std::string& error);

void LoadGeoxFile(TGeoxData& model, const std::string& path);
void LoadTextGeoxFile(TGeoxData& model, const std::string& path);
void LoadGeoxMap(TGeoxData& model, const std::string& path);
// Reads directory + listName and loads every entry from directory + entry,
// as a text model when the upper-cased entry contains ".TEXTGEOX". The
// directory ends in a separator; normals are not computed.
void LoadGeoxList(TGeoxScene& scene, const std::string& directory, const std::string& listName);

// The name cut at its first ".", keeping only the letters 'A' to 'Z':
// A_HOUSE2.GEOX gives AHOUSE.
std::string GeoxObjectName(const std::string& fileName);

// Sets both counts and replaces both arrays with zero-filled ones, for
// geometry the caller fills itself. Counts must not be negative.
void AllocateGeox(TGeoxData& model, int32_t vertexCount, int32_t faceCount);

// Unit face normals in single precision; a degenerate face gets (0, 0, 0).
void ComputeFaceNormals(TGeoxData& model);
// Each vertex normal is the mean of the normals of the faces that name it
// (a face naming a vertex twice counts twice), not renormalised; unused
// vertices get (0, 0, 0). Needs the face normals.
void ComputeVertexNormals(TGeoxData& model);

// What each corner of a drawn model carries beside its position; combined
// with |.
enum TGeoxAttributes : unsigned {
  GeoxPositionsOnly = 0,
  GeoxTexCoords = 1,      // its (u, v)
  GeoxFaceNormals = 2,    // its face's normal
  GeoxVertexNormals = 4,  // its vertex normal, which wins over GeoxFaceNormals
};

// One GL_TRIANGLES draw, faces in order, corners a, b, c, each with its
// position and the attributes asked for.
void DrawGeox(const TGeoxData& model, unsigned attributes);
void DrawGeoxPlain(const TGeoxData& model);          // positions only
void DrawGeoxSmooth(const TGeoxData& model);         // vertex normals
void DrawGeoxTextured(const TGeoxData& model);       // texture coordinates
void DrawGeoxSmoothTextured(const TGeoxData& model); // vertex normals, texture coordinates
void DrawGeoxFlatTextured(const TGeoxData& model);   // face normals, texture coordinates
// As DrawGeoxSmooth, but only the triangles whose corners (vertex indices,
// three per triangle) are given, in the given order.
void DrawGeoxSmoothCorners(const TGeoxData& model, const std::vector<uint32_t>& corners);
