#include "scenes/onepass.h"

#include "engine/framebuffer.h"
#include "engine/shaders.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The pixel's ray. The camera's projection is a
// frustum (gluPerspective), so a pixel's ray in eye space is t * (x, y, -1)
// with t the eye depth; in the drawing's model space it starts at eye and runs
// along toModel * (x, y, -1). The window depth at t is 0.5 (depthB / t -
// depthA) + 0.5 (depthA and depthB the projection's two depth terms); it is
// worked with as 1 - depth = depthC.x - depthC.y / t, which keeps its last
// bits in single precision where the depth itself, close to 1, would not: a
// point of the ray passes the depth test up to the t where 1 - depth meets
// 1 - the frame's depth.
const char* const RayVertexShader = R"(#version 120
void main()
{
  gl_Position = gl_Vertex;
}
)";

const char* const RayFunctions = R"(uniform sampler2D frameDepth;
uniform vec4 viewport;
uniform vec4 frustum;
uniform vec2 depthC;
uniform vec2 nearFar;
uniform vec3 eye;
uniform mat3 toModel;
vec3 RayDirection()
{
  vec2 ndc = (gl_FragCoord.xy - viewport.xy) / viewport.zw * 2.0 - 1.0;
  return toModel * vec3((ndc.x + frustum.y) / frustum.x, (ndc.y + frustum.w) / frustum.z, -1.0);
}
// The eye depth up to which the ray is in front of the frame and short of
// the far plane.
float VisibleEnd()
{
  float frame = texture2D(frameDepth, (gl_FragCoord.xy - viewport.xy) / viewport.zw).r;
  float behind = depthC.x - (1.0 - frame);
  return behind < 0.0 ? min(nearFar.y, depthC.y / behind) : nearFar.y;
}
)";

// Each shell crossed in front of the frame adds what one additive draw of it
// adds; both sides of a sphere count, as nothing is culled. The ray's
// distance from the origin falls from the near plane to the closest point
// and rises after it, so the spheres crossed on the visible part, t0 to t1,
// are those whose radius lies between the distances at the ends of each of
// the two stretches. The radii are r0 + k dr for k = 0 ... n - 1, less up to
// four drawn as the model (modelRadii, 0 for none).
const std::string SpheresShader = std::string("#version 120\n") + RayFunctions + R"(uniform vec3 progression;
uniform vec4 modelRadii;
uniform vec3 increment;
float Shells(float low, float high)
{
  if (low > high)
    return 0.0;
  float r0 = progression.x;
  float dr = progression.y;
  float n = progression.z;
  float all = 0.0;
  if (dr <= 0.0)
    all = r0 >= low && r0 <= high ? n : 0.0;
  else
    all = max(0.0, min(n - 1.0, floor((high - r0) / dr)) - max(0.0, ceil((low - r0) / dr)) + 1.0);
  vec4 drawn = step(low, modelRadii) * step(modelRadii, vec4(high)) * step(1e-30, modelRadii);
  return all - dot(drawn, vec4(1.0));
}
void main()
{
  vec3 d = RayDirection();
  float t0 = nearFar.x;
  float t1 = VisibleEnd();
  if (t1 < t0)
    discard;
  float a = dot(d, d);
  float b = dot(eye, d);
  float e = dot(eye, eye);
  float closest = -b / a;
  float rho0 = sqrt(max(0.0, (a * t0 + 2.0 * b) * t0 + e));
  float rho1 = sqrt(max(0.0, (a * t1 + 2.0 * b) * t1 + e));
  float rhoClosest = sqrt(max(0.0, e - b * b / a));
  float crossings = 0.0;
  if (closest > t0)
    crossings += Shells(closest < t1 ? rhoClosest : rho1, rho0);
  if (closest < t1)
    crossings += Shells(closest > t0 ? rhoClosest : rho0, rho1);
  if (crossings <= 0.0)
    discard;
  gl_FragColor = vec4(min(crossings * increment, 255.0) / 255.0, 1.0);
}
)";
TFastProgram SpheresProgram = {"sky shells", RayVertexShader, SpheresShader.c_str(),
                               {"frameDepth", "viewport", "frustum", "depthC", "nearFar", "eye",
                                "toModel", "progression", "modelRadii", "increment"}};
// SpheresProgram.Uniforms, in the order of its names.
enum TSpheresUniform {
  FrameDepthUniform,
  ViewportUniform,
  FrustumUniform,
  DepthCUniform,
  NearFarUniform,
  EyeUniform,
  ToModelUniform,
  ProgressionUniform,
  ModelRadiiUniform,
  IncrementUniform
};

// A copy of the current viewport's depth, the size of the viewport.
struct TViewportCopy {
  GLuint Texture = 0;
  int Width = 0;
  int Height = 0;
};
TViewportCopy DepthCopy;

void CopyViewportDepth(TViewportCopy& copy, const GLint viewport[4])
{
  if (copy.Texture == 0)
    glGenTextures(1, &copy.Texture);
  glBindTexture(GL_TEXTURE_2D, copy.Texture);
  if (copy.Width != viewport[2] || copy.Height != viewport[3]) {
    copy.Width = viewport[2];
    copy.Height = viewport[3];
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, copy.Width, copy.Height, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
  }
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[0], viewport[1], viewport[2], viewport[3]);
}

// The ray uniforms from the current matrices and viewport; false when the
// projection is not a frustum.
bool SetRayUniforms(const std::vector<int32_t>& uniforms, const GLint viewport[4], double eyeOut[3])
{
  GLdouble m[16], p[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  // Column-major: p[c * 4 + r]. A frustum has a last row of (0, 0, -1, 0)
  // and nothing but the diagonal, the x and y offsets and the depth terms.
  if (p[3] != 0 || p[7] != 0 || p[11] != -1 || p[15] != 0 || p[1] != 0 || p[4] != 0 ||
      p[2] != 0 || p[6] != 0 || p[12] != 0 || p[13] != 0 || p[0] == 0 || p[5] == 0)
    return false;
  const double depthA = p[10];  // (far + near) / (near - far)
  const double depthB = p[14];  // 2 far near / (near - far)
  // Window depth 0 and 1: t = near and t = far.
  const double nearT = p[14] / (p[10] - 1);
  const double farT = p[14] / (p[10] + 1);
  // The upper 3 x 3 of the modelview and its inverse (the adjugate over the
  // determinant); the eye is where the modelview sends to the origin.
  const double a[3][3] = {{m[0], m[4], m[8]}, {m[1], m[5], m[9]}, {m[2], m[6], m[10]}};
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  if (det == 0)
    return false;
  double inv[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inv[r][c] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
    }
  const double translation[3] = {m[12], m[13], m[14]};
  float eye[3];
  for (int r = 0; r < 3; ++r) {
    eyeOut[r] = -(inv[r][0] * translation[0] + inv[r][1] * translation[1] + inv[r][2] * translation[2]);
    eye[r] = static_cast<float>(eyeOut[r]);
  }
  GLfloat toModel[9];
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r)
      toModel[c * 3 + r] = static_cast<GLfloat>(inv[r][c]);
  glUniform1i(uniforms[FrameDepthUniform], 1);
  glUniform4f(uniforms[ViewportUniform], static_cast<float>(viewport[0]),
              static_cast<float>(viewport[1]), static_cast<float>(viewport[2]),
              static_cast<float>(viewport[3]));
  glUniform4f(uniforms[FrustumUniform], static_cast<float>(p[0]), static_cast<float>(p[8]),
              static_cast<float>(p[5]), static_cast<float>(p[9]));
  glUniform2f(uniforms[NearFarUniform], static_cast<float>(nearT), static_cast<float>(farT));
  glUniform3fv(uniforms[EyeUniform], 1, eye);
  glUniformMatrix3fv(uniforms[ToModelUniform], 1, GL_FALSE, toModel);
  glUniform2f(uniforms[DepthCUniform], static_cast<float>((1 + depthA) / 2),
              static_cast<float>(depthB / 2));
  return true;
}

// The program bound with the frame's depth under the viewport copied to unit
// 1, or 0 when this pass cannot be drawn in one.
GLuint BeginOnePass(TFastProgram& fast, GLint viewport[4], double eye[3])
{
  if (FrameSampleCount() > 1)
    return 0;
  const GLuint program = FastProgram(fast);
  if (program == 0)
    return 0;
  glGetIntegerv(GL_VIEWPORT, viewport);
  glUseProgram(program);
  if (!SetRayUniforms(fast.Uniforms, viewport, eye)) {
    glUseProgram(0);
    return 0;
  }
  glActiveTexture(GL_TEXTURE1);
  CopyViewportDepth(DepthCopy, viewport);
  glActiveTexture(GL_TEXTURE0);
  return program;
}

// Texture unit 1 without the depth copy again, unit 0 active.
void EndOnePass()
{
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
}

// The viewport covered by one quad, nothing depth-tested.
void DrawViewportQuad()
{
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  glUseProgram(0);
}

}  // namespace

TSphereModel SphereModel(const TGeoxData& model)
{
  TSphereModel sphere;
  double largest = 0;
  double smallest = HUGE_VAL;
  for (const GeoxVertex& v : model.Vertices) {
    const double r = std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                               static_cast<double>(v.z) * v.z);
    largest = std::max(largest, r);
    smallest = std::min(smallest, r);
  }
  if (model.Vertices.empty() || largest <= 0 || smallest < largest * 0.999)
    return sphere;
  double deepest = 0;
  const int vertices = static_cast<int>(model.Vertices.size());
  for (const GeoxFace& f : model.Faces) {
    if (f.a < 0 || f.b < 0 || f.c < 0 || f.a >= vertices || f.b >= vertices || f.c >= vertices)
      continue;
    const GeoxVertex& a = model.Vertices[static_cast<size_t>(f.a)];
    const GeoxVertex& b = model.Vertices[static_cast<size_t>(f.b)];
    const GeoxVertex& c = model.Vertices[static_cast<size_t>(f.c)];
    const double x = (a.x + b.x + c.x) / 3.0, y = (a.y + b.y + c.y) / 3.0, z = (a.z + b.z + c.z) / 3.0;
    deepest = std::max(deepest, 1 - std::sqrt(x * x + y * y + z * z) / largest);
  }
  sphere.Radius = largest;
  sphere.FacetDepth = deepest;
  return sphere;
}

bool DrawSpheresInOnePass(const TGeoxData& model, const TSphereModel& sphere, const float* scales,
                          int count, TColour colour)
{
  if (sphere.Radius <= 0 || count < 1)
    return false;
  // The program takes radii evenly spaced, smallest first.
  const double step = count > 1 ? (static_cast<double>(scales[count - 1]) - scales[0]) / (count - 1) : 0;
  for (int i = 0; i < count; ++i)
    if (step < 0 || std::fabs(scales[0] + i * step - scales[i]) > 1e-6 * std::fabs(scales[i]) + 1e-9)
      return false;
  GLint viewport[4];
  double eye[3];
  const GLuint program = BeginOnePass(SpheresProgram, viewport, eye);
  if (program == 0)
    return false;
  // A shell whose surface passes within a few facet depths of the eye is
  // drawn as the model: there the eye may be inside the sphere but outside
  // its facets, and the two part ways over much of the picture.
  const double eyeDistance = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
  float modelRadii[4] = {0, 0, 0, 0};
  std::vector<float> modelScales;
  for (int i = 0; i < count; ++i) {
    const double r = sphere.Radius * scales[i];
    if (r > 0 && std::fabs(eyeDistance - r) <= 4 * sphere.FacetDepth * r + 0.5) {
      if (modelScales.size() == 4) {
        glUseProgram(0);
        EndOnePass();
        return false;
      }
      modelRadii[modelScales.size()] = static_cast<float>(r);
      modelScales.push_back(scales[i]);
    }
  }
  const std::vector<int32_t>& uniforms = SpheresProgram.Uniforms;
  glUniform3f(uniforms[ProgressionUniform], static_cast<float>(sphere.Radius * scales[0]),
              static_cast<float>(sphere.Radius * step), static_cast<float>(count));
  glUniform4fv(uniforms[ModelRadiiUniform], 1, modelRadii);
  glUniform3f(uniforms[IncrementUniform], std::round(colour.r * 255), std::round(colour.g * 255),
              std::round(colour.b * 255));
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  if (static_cast<int>(modelScales.size()) < count)
    DrawViewportQuad();
  glUseProgram(0);
  EndOnePass();
  glColor4f(colour.r, colour.g, colour.b, colour.a);
  for (const float s : modelScales) {
    glPushMatrix();
    glScalef(s, s, s);
    DrawGeoxPlain(model);
    glPopMatrix();
  }
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  return true;
}
