#include "host/overlay.h"

#include "engine/framebuffer.h"
#include "engine/text.h"
#include "scenes/intervals.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>

namespace {

// The text's size in overlay units: glyph cells, the step between glyphs and
// between lines, the margin around the text on its box.
constexpr float GlyphSize = 16;
constexpr float GlyphAdvance = 9;
constexpr float LineHeight = 16;
constexpr float Margin = 6;
// Lines longer than this are cut: the box stays on the frame.
constexpr size_t LineChars = 68;

}  // namespace

void TPresentedFrameRate::Add(double seconds)
{
  Times.push_back(seconds);
  while (Times.size() > 2 && Times[1] <= seconds - 1.0)
    Times.pop_front();
}

double TPresentedFrameRate::FrameMs() const
{
  if (Times.size() < 2)
    return 0;
  return (Times.back() - Times.front()) * 1000 / static_cast<double>(Times.size() - 1);
}

double TPresentedFrameRate::FramesPerSecond() const
{
  const double ms = FrameMs();
  return ms > 0 ? 1000 / ms : 0;
}

std::string FormatMusicTime(int32_t t)
{
  const int32_t ms = std::max(t, 0);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
  return text;
}

std::vector<std::string> OverlayLines(const TOverlayInfo& info)
{
  std::vector<std::string> lines;
  lines.push_back(FormatMusicTime(info.MusicTime) + (info.Paused ? "  PAUSED" : ""));
  std::string scene = "no scene";
  const int at = SceneAt(info.MusicTime);
  if (at >= 0) {
    const TSceneInterval& interval = SceneIntervals[at];
    const float p = IntervalProgress(interval.StartTime, interval.EndTime, info.MusicTime);
    char text[64];
    std::snprintf(text, sizeof text, "%s  p %.4f", interval.Name, static_cast<double>(p));
    scene = text;
  }
  lines.push_back(scene);
  char text[96];
  std::snprintf(text, sizeof text, "frame %.1f ms  %.1f fps", info.FrameMs, info.FramesPerSecond);
  lines.push_back(text);
  std::snprintf(text, sizeof text, "eye %.2f %.2f %.2f", static_cast<double>(info.Eye.x),
                static_cast<double>(info.Eye.y), static_cast<double>(info.Eye.z));
  lines.push_back(text);
  lines.insert(lines.end(), info.Notes.begin(), info.Notes.end());
  return lines;
}

void DrawOverlay(const std::vector<std::string>& lines, int windowWidth, int windowHeight)
{
  GLint drawBuffer = 0;
  GLint readBuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBuffer);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBuffer);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  GLint matrixMode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();

  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // Overlay units at the frame's scale, from the top-left corner of what the
  // window shows of the frame: where the window crops the frame's bars the
  // lines move down with the picture's top edge and stay in the window.
  const TFramePlacement place = PlaceFrame({FrameWidth, FrameHeight}, windowWidth, windowHeight);
  const int shownLeft = std::max(place.Left, 0);
  const int shownTop = std::max(place.Top, 0);
  // GL's window rows count from the bottom.
  glViewport(shownLeft, windowHeight - shownTop - place.Height, place.Width, place.Height);
  // Whatever the scene left on that would change the text.
  for (GLenum state : {GL_SCISSOR_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_LIGHTING,
                       GL_CULL_FACE, GL_FOG, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    glDisable(state);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  size_t longest = 0;
  for (const std::string& line : lines)
    longest = std::max(longest, std::min(line.size(), LineChars));
  const float right = 2 * Margin + static_cast<float>(longest) * GlyphAdvance;
  const float bottom = 2 * Margin + static_cast<float>(lines.size()) * LineHeight;
  Begin2D();
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, 0.6f);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(right, 0);
  glVertex2f(right, bottom);
  glVertex2f(0, bottom);
  glEnd();

  float y = Margin + LineHeight;
  for (const std::string& line : lines) {
    const std::string shown = line.substr(0, LineChars);
    // DrawText centres the line on x.
    const float x = Margin + static_cast<float>(shown.size()) * GlyphAdvance / 2;
    DrawText(shown, FontTexture, x, y, GlyphSize, GlyphSize, GlyphAdvance, 1, 0.9f, 0.5f, 1);
    y += LineHeight;
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(static_cast<GLenum>(matrixMode));
  glPopAttrib();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBuffer));
}
