#include "scenes/scenes.h"

#include "engine/camera.h"

#include <GL/gl.h>

namespace {

TCameraPath CityPath = {};

}  // namespace

void tscene_city::Prepare()
{
  LoadCameraPath(CityPath, "data\\default.camera");
}

void tscene_city::Render(int32_t t, TFramePacing)
{
  const float p = Progress(t);
  glClearColor(p, p, p, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}
