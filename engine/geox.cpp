#include "engine/geox.h"

#include "engine/bytes.h"
#include "engine/fatal.h"
#include "engine/paths.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

const char* const GeoxCorruptedMessage = "CORRUPTED GEOX FILE!!!";

namespace {

constexpr size_t GeoxHeaderBytes = 8;
constexpr size_t GeoxVertexBytes = 20;
constexpr size_t GeoxFaceBytes = 12;

// The fewest bytes a text vertex line ("0 0 0 0 0") and a text face ("0 0 0")
// can take; a count the rest of the file cannot hold at that rate is refused
// before anything is allocated.
constexpr uint64_t MinTextVertexBytes = 9;
constexpr uint64_t MinTextFaceBytes = 5;
constexpr uint64_t MinMapPairBytes = 3;
constexpr uint64_t MinMapFaceBytes = 5;

bool IndexInModel(int32_t index, int32_t vertexCount)
{
  return index >= 0 && index < vertexCount;
}

bool FaceInModel(const GeoxFace& face, int32_t vertexCount)
{
  return IndexInModel(face.a, vertexCount) && IndexInModel(face.b, vertexCount) &&
         IndexInModel(face.c, vertexCount);
}

// Both model readers check each face as soon as it is read.
bool CheckFace(const GeoxFace& face, int32_t vertexCount, std::string& error)
{
  if (FaceInModel(face, vertexCount))
    return true;
  error = "face index outside the model";
  return false;
}

bool CheckCounts(int64_t vertexCount, int64_t faceCount, std::string& error)
{
  if (vertexCount < 0) {
    error = "negative vertex count " + std::to_string(vertexCount);
    return false;
  }
  if (faceCount < 0) {
    error = "negative face count " + std::to_string(faceCount);
    return false;
  }
  return true;
}

// Numbers of the text formats, separated by white space, read one at a time
// the way the formats are written: a count or a vertex per line with the
// rest of the line ignored, face indices anywhere.
class TTextReader {
public:
  TTextReader(const uint8_t* bytes, size_t size)
      : Text(reinterpret_cast<const char*>(bytes)), Size(size)
  {
  }

  bool ReadInt(int32_t& value, std::string& error)
  {
    std::string_view token;
    if (!NextToken(token, error))
      return false;
    const char* first = token.data();
    const char* last = first + token.size();
    if (first != last && *first == '+')
      ++first;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || first == last)
      return Malformed(token, "integer", error);
    return true;
  }

  bool ReadFloat(float& value, std::string& error)
  {
    std::string_view token;
    if (!NextToken(token, error))
      return false;
    const char* first = token.data();
    const char* last = first + token.size();
    if (first != last && *first == '+')
      ++first;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || first == last || !std::isfinite(value))
      return Malformed(token, "number", error);
    return true;
  }

  void SkipLine()
  {
    while (Pos < Size && Text[Pos] != '\n')
      ++Pos;
    if (Pos < Size)
      ++Pos;
  }

  size_t Remaining() const { return Size - Pos; }

private:
  static bool IsSpace(char c)
  {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  }

  bool NextToken(std::string_view& token, std::string& error)
  {
    while (Pos < Size && IsSpace(Text[Pos]))
      ++Pos;
    if (Pos == Size) {
      error =
          "unexpected end of file at line " + std::to_string(LineAt(Pos)) + ": a number is missing";
      return false;
    }
    const size_t start = Pos;
    while (Pos < Size && !IsSpace(Text[Pos]))
      ++Pos;
    token = std::string_view(Text + start, Pos - start);
    return true;
  }

  bool Malformed(std::string_view token, const char* what, std::string& error) const
  {
    const size_t start = static_cast<size_t>(token.data() - Text);
    error = "line " + std::to_string(LineAt(start)) + ": malformed " + what + " \"" +
            std::string(token.substr(0, 40)) + "\"";
    return false;
  }

  size_t LineAt(size_t offset) const
  {
    size_t line = 1;
    for (size_t i = 0; i < offset && i < Size; ++i)
      if (Text[i] == '\n')
        ++line;
    return line;
  }

  const char* Text;
  size_t Size;
  size_t Pos = 0;
};

// Both model formats store x, then the model's z, then its y.
void StoreVertex(GeoxVertex& vertex, float x, float z, float y, float u, float v)
{
  vertex.x = x;
  vertex.y = y;
  vertex.z = z;
  vertex.u = u;
  vertex.v = v;
}

void ReplaceModel(TGeoxData& model, TGeoxData& loaded)
{
  model.VertexCount = loaded.VertexCount;
  model.FaceCount = loaded.FaceCount;
  model.Vertices = std::move(loaded.Vertices);
  model.Faces = std::move(loaded.Faces);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(path, bytes, error))
    FatalFileError(path, error);
  return bytes;
}

using TModelParser = TGeoxFailure (*)(const uint8_t*, size_t, TGeoxData&, std::string&);

// Reads a model file with one of the two parsers. A face outside the model
// shows only the fixed message (standard error still gets the file and the
// reason); any other failure names the file.
void LoadModel(TGeoxData& model, const std::string& path, TModelParser parse)
{
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  std::string error;
  const TGeoxFailure failure = parse(bytes.data(), bytes.size(), model, error);
  if (failure == TGeoxFailure::None)
    return;
  if (failure == TGeoxFailure::FaceOutsideModel) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    FatalMessage(GeoxCorruptedMessage, "Error");
  }
  FatalFileError(path, error);
}

}  // namespace

TGeoxFailure ParseGeoxFile(const uint8_t* bytes, size_t size, TGeoxData& model,
                           std::string& error)
{
  if (size < GeoxHeaderBytes) {
    error = "file of " + std::to_string(size) + " bytes is too short for the header";
    return TGeoxFailure::Malformed;
  }
  const int32_t vertexCount = ReadI32(bytes);
  const int32_t faceCount = ReadI32(bytes + 4);
  if (!CheckCounts(vertexCount, faceCount, error))
    return TGeoxFailure::Malformed;
  const uint64_t needed = GeoxHeaderBytes + GeoxVertexBytes * static_cast<uint64_t>(vertexCount) +
                          GeoxFaceBytes * static_cast<uint64_t>(faceCount);
  if (size < needed) {
    error = "file of " + std::to_string(size) + " bytes is too short for " +
            std::to_string(vertexCount) + " vertices and " + std::to_string(faceCount) +
            " faces (" + std::to_string(needed) + " bytes)";
    return TGeoxFailure::Malformed;
  }

  TGeoxData loaded;
  AllocateGeox(loaded, vertexCount, faceCount);
  const uint8_t* p = bytes + GeoxHeaderBytes;
  for (GeoxVertex& vertex : loaded.Vertices) {
    StoreVertex(vertex, ReadF32(p), ReadF32(p + 4), ReadF32(p + 8), ReadF32(p + 12),
                ReadF32(p + 16));
    p += GeoxVertexBytes;
  }
  for (GeoxFace& face : loaded.Faces) {
    face.a = ReadI32(p);
    face.b = ReadI32(p + 4);
    face.c = ReadI32(p + 8);
    p += GeoxFaceBytes;
    if (!CheckFace(face, vertexCount, error))
      return TGeoxFailure::FaceOutsideModel;
  }
  ReplaceModel(model, loaded);
  return TGeoxFailure::None;
}

TGeoxFailure ParseTextGeoxFile(const uint8_t* bytes, size_t size, TGeoxData& model,
                               std::string& error)
{
  TTextReader reader(bytes, size);
  int32_t vertexCount;
  int32_t faceCount;
  if (!reader.ReadInt(vertexCount, error))
    return TGeoxFailure::Malformed;
  reader.SkipLine();
  if (!reader.ReadInt(faceCount, error))
    return TGeoxFailure::Malformed;
  reader.SkipLine();
  if (!CheckCounts(vertexCount, faceCount, error))
    return TGeoxFailure::Malformed;
  const uint64_t needed = MinTextVertexBytes * static_cast<uint64_t>(vertexCount) +
                          MinTextFaceBytes * static_cast<uint64_t>(faceCount);
  if (reader.Remaining() < needed) {
    error = "file is too short for " + std::to_string(vertexCount) + " vertices and " +
            std::to_string(faceCount) + " faces";
    return TGeoxFailure::Malformed;
  }

  TGeoxData loaded;
  AllocateGeox(loaded, vertexCount, faceCount);
  for (GeoxVertex& vertex : loaded.Vertices) {
    float values[5];
    for (float& value : values)
      if (!reader.ReadFloat(value, error))
        return TGeoxFailure::Malformed;
    reader.SkipLine();
    StoreVertex(vertex, values[0], values[1], values[2], values[3], values[4]);
  }
  for (GeoxFace& face : loaded.Faces) {
    if (!reader.ReadInt(face.a, error) || !reader.ReadInt(face.b, error) ||
        !reader.ReadInt(face.c, error))
      return TGeoxFailure::Malformed;
    if (!CheckFace(face, vertexCount, error))
      return TGeoxFailure::FaceOutsideModel;
  }
  ReplaceModel(model, loaded);
  return TGeoxFailure::None;
}

bool ParseGeoxMap(const uint8_t* bytes, size_t size, TGeoxData& model, std::string& error)
{
  TTextReader reader(bytes, size);
  int32_t pairCount;
  if (!reader.ReadInt(pairCount, error))
    return false;
  reader.SkipLine();
  if (pairCount < 0) {
    error = "negative coordinate pair count " + std::to_string(pairCount);
    return false;
  }
  const uint64_t needed = MinMapPairBytes * static_cast<uint64_t>(pairCount) +
                          MinMapFaceBytes * static_cast<uint64_t>(model.FaceCount);
  if (reader.Remaining() < needed) {
    error = "file is too short for " + std::to_string(pairCount) + " coordinate pairs and " +
            std::to_string(model.FaceCount) + " face lines";
    return false;
  }

  std::vector<float> u(static_cast<size_t>(pairCount));
  std::vector<float> v(static_cast<size_t>(pairCount));
  for (int32_t i = 0; i < pairCount; ++i) {
    if (!reader.ReadFloat(u[i], error) || !reader.ReadFloat(v[i], error))
      return false;
    reader.SkipLine();
  }
  std::vector<int32_t> indices(static_cast<size_t>(model.FaceCount) * 3);
  for (size_t i = 0; i < indices.size(); ++i) {
    int32_t& k = indices[i];
    if (!reader.ReadInt(k, error))
      return false;
    if (k < 0 || k >= model.VertexCount || k >= pairCount) {
      error = "face line " + std::to_string(i / 3 + 1) + ": index " + std::to_string(k) +
              " is outside the model's " + std::to_string(model.VertexCount) +
              " vertices or the file's " + std::to_string(pairCount) + " coordinate pairs";
      return false;
    }
    if (i % 3 == 2)
      reader.SkipLine();
  }

  for (int32_t k : indices) {
    model.Vertices[k].u = u[k];
    model.Vertices[k].v = v[k];
  }
  return true;
}

bool ParseGeoxList(const uint8_t* bytes, size_t size, std::vector<std::string>& entries,
                   std::string& error)
{
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < size) {
    size_t end = start;
    while (end < size && bytes[end] != '\n')
      ++end;
    size_t length = end - start;
    if (length > 0 && bytes[start + length - 1] == '\r')
      --length;
    lines.push_back(
        UpperCaseAscii(std::string(reinterpret_cast<const char*>(bytes + start), length)));
    start = end + 1;
  }

  size_t count = 0;
  for (const std::string& line : lines)
    if (!line.empty())
      ++count;
  for (size_t i = 0; i < count; ++i) {
    if (lines[i].empty()) {
      error =
          "line " + std::to_string(i + 1) + " is empty; blank lines may only follow the last entry";
      return false;
    }
  }
  lines.resize(count);
  entries = std::move(lines);
  return true;
}

void LoadGeoxFile(TGeoxData& model, const std::string& path)
{
  LoadModel(model, path, ParseGeoxFile);
}

void LoadTextGeoxFile(TGeoxData& model, const std::string& path)
{
  LoadModel(model, path, ParseTextGeoxFile);
}

void LoadGeoxMap(TGeoxData& model, const std::string& path)
{
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  std::string error;
  if (!ParseGeoxMap(bytes.data(), bytes.size(), model, error))
    FatalFileError(path, error);
}

void LoadGeoxList(TGeoxScene& scene, const std::string& directory, const std::string& listName)
{
  const std::string listPath = directory + listName;
  const std::vector<uint8_t> bytes = ReadWholeFile(listPath);
  std::vector<std::string> entries;
  std::string error;
  if (!ParseGeoxList(bytes.data(), bytes.size(), entries, error))
    FatalFileError(listPath, error);

  const size_t count = entries.size();
  scene.Count = static_cast<int32_t>(count);
  scene.Models.assign(count, TGeoxData());
  scene.FileNames.assign(count, std::string());
  scene.Names.assign(count, std::string());
  for (size_t i = 0; i < count; ++i) {
    const std::string& entry = entries[i];
    if (entry.find(".TEXTGEOX") != std::string::npos)
      LoadTextGeoxFile(scene.Models[i], directory + entry);
    else
      LoadGeoxFile(scene.Models[i], directory + entry);
    scene.FileNames[i] = entry;
    scene.Names[i] = GeoxObjectName(entry);
  }
}

std::string GeoxObjectName(const std::string& fileName)
{
  std::string name;
  for (char c : fileName.substr(0, fileName.find('.')))
    if (c >= 'A' && c <= 'Z')
      name += c;
  return name;
}

void AllocateGeox(TGeoxData& model, int32_t vertexCount, int32_t faceCount)
{
  assert(vertexCount >= 0 && faceCount >= 0);
  model.VertexCount = vertexCount;
  model.FaceCount = faceCount;
  model.Vertices.assign(static_cast<size_t>(vertexCount), GeoxVertex{});
  model.Faces.assign(static_cast<size_t>(faceCount), GeoxFace{});
}

void ComputeFaceNormals(TGeoxData& model)
{
  for (GeoxFace& face : model.Faces) {
    assert(FaceInModel(face, model.VertexCount));
    const GeoxVertex& p = model.Vertices[face.a];
    const GeoxVertex& q = model.Vertices[face.b];
    const GeoxVertex& r = model.Vertices[face.c];
    const float d1x = r.x - q.x, d1y = r.y - q.y, d1z = r.z - q.z;
    const float d2x = p.x - r.x, d2y = p.y - r.y, d2z = p.z - r.z;
    float nx = d1y * d2z - d2y * d1z;
    float ny = d1z * d2x - d2z * d1x;
    float nz = d1x * d2y - d2x * d1y;
    const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length != 0.0f) {
      nx /= length;
      ny /= length;
      nz /= length;
    }
    face.nx = nx;
    face.ny = ny;
    face.nz = nz;
  }
}

void ComputeVertexNormals(TGeoxData& model)
{
  std::vector<int32_t> uses(model.Vertices.size(), 0);
  for (GeoxVertex& vertex : model.Vertices)
    vertex.nx = vertex.ny = vertex.nz = 0.0f;
  for (const GeoxFace& face : model.Faces) {
    assert(FaceInModel(face, model.VertexCount));
    for (int32_t corner : {face.a, face.b, face.c}) {
      GeoxVertex& vertex = model.Vertices[corner];
      vertex.nx += face.nx;
      vertex.ny += face.ny;
      vertex.nz += face.nz;
      ++uses[corner];
    }
  }
  for (size_t i = 0; i < uses.size(); ++i) {
    if (uses[i] == 0)
      continue;
    const float count = static_cast<float>(uses[i]);
    GeoxVertex& vertex = model.Vertices[i];
    vertex.nx /= count;
    vertex.ny /= count;
    vertex.nz /= count;
  }
}

namespace {

// Scratch array for drawing, reused from call to call.
std::vector<GLfloat> FlatCorners;
std::vector<GLuint> CornerIndices;

// Without face normals every corner is one of the model's own vertices, so
// the model's vertex array is drawn as it is through an index list.
void DrawCorners(const TGeoxData& model, const GLuint* corners, size_t count, bool withTexCoords,
                 bool withVertexNormals)
{
  const GLsizei stride = sizeof(GeoxVertex);
  const GeoxVertex* vertices = model.Vertices.data();
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, &vertices->x);
  if (withVertexNormals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, &vertices->nx);
  }
  if (withTexCoords) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, &vertices->u);
  }
  glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(model.Vertices.size() - 1),
                      static_cast<GLsizei>(count), GL_UNSIGNED_INT, corners);
  glPopClientAttrib();
}

void DrawGeoxIndexed(const TGeoxData& model, bool withTexCoords, bool withVertexNormals)
{
  CornerIndices.resize(model.Faces.size() * 3);
  GLuint* index = CornerIndices.data();
  for (const GeoxFace& face : model.Faces) {
    *index++ = static_cast<GLuint>(face.a);
    *index++ = static_cast<GLuint>(face.b);
    *index++ = static_cast<GLuint>(face.c);
  }
  DrawCorners(model, CornerIndices.data(), CornerIndices.size(), withTexCoords, withVertexNormals);
}

}  // namespace

// Vertex arrays instead of one call per attribute: the same triangles,
// attributes and order as glBegin/glEnd, but far cheaper per frame for the
// 130050-face water. Client arrays are also read at display-list compile time.
void DrawGeox(const TGeoxData& model, unsigned attributes)
{
  if (model.Faces.empty())
    return;
  const bool withTexCoords = attributes & GeoxTexCoords;
  const bool withFaceNormals = attributes & GeoxFaceNormals;
  const bool withVertexNormals = attributes & GeoxVertexNormals;
  if (!withFaceNormals) {
    DrawGeoxIndexed(model, withTexCoords, withVertexNormals);
    return;
  }
  // Each corner carries position, normal (its own, or its face's) and
  // texture coordinates.
  constexpr int Floats = 8;
  FlatCorners.resize(model.Faces.size() * 3 * Floats);
  GLfloat* out = FlatCorners.data();
  for (const GeoxFace& face : model.Faces) {
    for (int32_t corner : {face.a, face.b, face.c}) {
      const GeoxVertex& vertex = model.Vertices[corner];
      *out++ = vertex.x;
      *out++ = vertex.y;
      *out++ = vertex.z;
      *out++ = withVertexNormals ? vertex.nx : face.nx;
      *out++ = withVertexNormals ? vertex.ny : face.ny;
      *out++ = withVertexNormals ? vertex.nz : face.nz;
      *out++ = vertex.u;
      *out++ = vertex.v;
    }
  }
  const GLsizei stride = Floats * sizeof(GLfloat);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, FlatCorners.data());
  if (withFaceNormals || withVertexNormals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, FlatCorners.data() + 3);
  }
  if (withTexCoords) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, FlatCorners.data() + 6);
  }
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(model.Faces.size() * 3));
  glPopClientAttrib();
}

void DrawGeoxPlain(const TGeoxData& model)
{
  DrawGeox(model, GeoxPositionsOnly);
}

void DrawGeoxSmooth(const TGeoxData& model)
{
  DrawGeox(model, GeoxVertexNormals);
}

void DrawGeoxTextured(const TGeoxData& model)
{
  DrawGeox(model, GeoxTexCoords);
}

void DrawGeoxSmoothTextured(const TGeoxData& model)
{
  DrawGeox(model, GeoxTexCoords | GeoxVertexNormals);
}

void DrawGeoxFlatTextured(const TGeoxData& model)
{
  DrawGeox(model, GeoxTexCoords | GeoxFaceNormals);
}

void DrawGeoxSmoothCorners(const TGeoxData& model, const std::vector<uint32_t>& corners)
{
  if (!corners.empty())
    DrawCorners(model, corners.data(), corners.size(), false, true);
}
