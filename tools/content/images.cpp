#include "tools/content/images.h"

#include "engine/haze.h"
#include "engine/numbers.h"
#include "tools/content/writers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace {

constexpr int Quality = 90;

// A colour as the images store it, 0 to 255 a channel, in doubles while it
// is shaded (the frame's own colours are TColour, 0 to 1 with alpha).
struct TRgbColour {
  double r, g, b;
};

TRgbColour operator+(TRgbColour a, TRgbColour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
TRgbColour operator*(TRgbColour a, double s) { return {a.r * s, a.g * s, a.b * s}; }
TRgbColour Mix(TRgbColour a, TRgbColour b, double t) { return a * (1 - t) + b * t; }

// The sky's horizon is the frame's haze (engine/haze.h).
const TRgbColour HazeLight = {HazeLightRgb.R, HazeLightRgb.G, HazeLightRgb.B};
const TRgbColour HazeDark = {HazeDarkRgb.R, HazeDarkRgb.G, HazeDarkRgb.B};

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }
double SmoothStep(double a, double b, double x)
{
  const double t = Clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

// Integer hash to [0, 1).
double Hash(int x, int y, int seed)
{
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xffffff) / double(0x1000000);
}

// Smooth value noise on a lattice that repeats every period cells.
double Noise(double x, double y, int period, int seed)
{
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const double fx = x - xi, fy = y - yi;
  auto wrap = [&](int v) { return ((v % period) + period) % period; };
  auto h = [&](int i, int j) { return Hash(wrap(xi + i), wrap(yi + j), seed); };
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = h(0, 0) + (h(1, 0) - h(0, 0)) * sx;
  const double bottom = h(0, 1) + (h(1, 1) - h(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

// Fractal noise over the unit square (s, t in [0, 1)), tiling at the edges.
double Fbm(double s, double t, int baseCells, int octaves, int seed)
{
  double sum = 0, amplitude = 0.5, total = 0;
  int cells = baseCells;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * Noise(s * cells, t * cells, cells, seed + o * 17);
    total += amplitude;
    amplitude *= 0.5;
    cells *= 2;
  }
  return sum / total;
}

TImage MakeImage(int width, int height, const std::function<TRgbColour(double, double)>& shade)
{
  TImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const TRgbColour c = shade((x + 0.5) / width, (y + 0.5) / height);
      uint8_t* p = &image.Pixels[(size_t(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 255.0)));
      p[1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 255.0)));
      p[2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 255.0)));
    }
  return image;
}

TImage Grey(const TImage& image)
{
  TImage out = image;
  for (size_t i = 0; i < out.Pixels.size(); i += 3) {
    const int v = (out.Pixels[i] * 3 + out.Pixels[i + 1] * 5 + out.Pixels[i + 2] * 2) / 10;
    out.Pixels[i] = out.Pixels[i + 1] = out.Pixels[i + 2] = static_cast<uint8_t>(v);
  }
  return out;
}

// A sphere map: pixel (s, t) shows what a mirror ball reflects in the eye-space
// direction r. t = 0 is the top image row, which GL's sphere mapping reaches
// for reflections pointing down, so the image is upside down against a photo.
TImage MakeSphereMap(int size, const std::function<TRgbColour(double, double, double)>& environment)
{
  return MakeImage(size, size, [&](double s, double t) {
    double nx = 2 * s - 1, ny = 2 * t - 1;
    double d = nx * nx + ny * ny;
    if (d > 1) {
      const double l = std::sqrt(d);
      nx /= l;
      ny /= l;
      d = 1;
    }
    const double nz = std::sqrt(1 - d);
    return environment(2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1);
  });
}

// The dusty sky over the city seen in a direction (x, y, z), y up, with the
// sun glow towards sunDirection.
TRgbColour DustSky(double x, double y, double z, double sunX, double sunY, double sunZ)
{
  const double l = std::sqrt(x * x + y * y + z * z);
  x /= l;
  y /= l;
  z /= l;
  const double up = y;
  TRgbColour c;
  if (up >= 0) {
    c = Mix(HazeLight, TRgbColour{70, 52, 92}, SmoothStep(0, 0.45, up));
    c = Mix(c, HazeDark, SmoothStep(0.45, 1.0, up));
  } else {
    c = Mix(HazeLight, TRgbColour{96, 86, 78}, SmoothStep(0, -0.3, up));
  }
  const double sun = std::max(0.0, x * sunX + y * sunY + z * sunZ);
  c = c + TRgbColour{120, 90, 50} * std::pow(sun, 12) + TRgbColour{60, 45, 25} * std::pow(sun, 3);
  return c;
}

TImage SkyPanorama()
{
  // The sky model maps u to longitude (u = 0.5 looking along +z of the sky
  // model) and v to latitude from the top. The sky camera turns the world
  // half round, so the sun of the world (towards +z) lies towards -z here.
  const double sy = 0.28, sz = -std::sqrt(1 - sy * sy);
  return MakeImage(1024, 512, [&](double s, double t) {
    const double lon = 2 * Pi * (s - 0.5), lat = Pi * (0.5 - t);
    const double x = std::sin(lon) * std::cos(lat), y = std::sin(lat), z = std::cos(lon) * std::cos(lat);
    TRgbColour c = DustSky(x, y, z, 0, sy, sz);
    // Long thin cloud bands above the horizon, lit from the sun side.
    const double band = SmoothStep(0.02, 0.12, y) * (1 - SmoothStep(0.35, 0.7, y));
    const double cloud = Fbm(s, t * 0.5, 8, 5, 11);
    const double streak = Fbm(s * 1, t * 4, 4, 4, 23);
    const double amount = band * SmoothStep(0.48, 0.75, cloud * 0.6 + streak * 0.6);
    const double lit = 0.5 + 0.5 * std::max(0.0, x * 0 + y * sy + z * sz);
    c = Mix(c, Mix(TRgbColour{80, 62, 88}, TRgbColour{210, 175, 140}, lit), amount * 0.7);
    // A distant dark ridge on the horizon.
    const double ridge = 0.012 + 0.03 * Fbm(s, 0.5, 16, 4, 31);
    if (y < ridge && y > -0.05)
      c = Mix(c, TRgbColour{78, 68, 72}, 0.55 * SmoothStep(-0.05, 0.0, y));
    return c;
  });
}

TRgbColour Chrome(double x, double y, double z, TRgbColour skyTint, TRgbColour groundTint)
{
  TRgbColour c;
  if (y > 0) {
    c = Mix(TRgbColour{235, 225, 205}, skyTint, SmoothStep(0.0, 0.6, y));
  } else {
    c = Mix(TRgbColour{60, 50, 48}, groundTint, SmoothStep(0.0, -0.8, y));
    // A band of dark city silhouettes just below the horizon.
    const double angle = std::atan2(x, z);
    const double block = Hash(static_cast<int>(std::floor((angle + Pi) * 12)), 3, 5);
    if (-y < 0.08 + 0.18 * block)
      c = Mix(c, TRgbColour{30, 26, 34}, 0.8);
  }
  // The glint of the sun.
  const double sun = std::max(0.0, 0.3 * x + 0.35 * y + 0.89 * z);
  return c + TRgbColour{255, 230, 190} * std::pow(sun, 40);
}

TImage Loop(int frame, int kind)
{
  // 64 x 64 pixel art with a dark two-pixel frame; texel (0, 0) is the frame
  // colour that the screen's edges and stand use.
  TImage image;
  image.Width = image.Height = 64;
  image.Pixels.assign(64 * 64 * 3, 0);
  auto put = [&](int x, int y, TRgbColour c) {
    if (x < 0 || y < 0 || x >= 64 || y >= 64)
      return;
    uint8_t* p = &image.Pixels[(size_t(y) * 64 + x) * 3];
    p[0] = static_cast<uint8_t>(c.r);
    p[1] = static_cast<uint8_t>(c.g);
    p[2] = static_cast<uint8_t>(c.b);
  };
  const TRgbColour background = kind == 0 ? TRgbColour{8, 20, 14} : kind == 1 ? TRgbColour{20, 8, 30} : TRgbColour{4, 10, 28};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      put(x, y, (y % 2) ? background * 0.7 : background);
  if (kind == 0) {
    // Rings spreading from the centre, six steps.
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const double r = std::hypot(x - 31.5, y - 31.5);
        for (int ring = 0; ring < 4; ++ring) {
          const double radius = ring * 9 + frame * 1.5 + 3;
          if (std::fabs(r - radius) < 1.0)
            put(x, y, TRgbColour{90, 255, 140} * (1 - ring * 0.2));
        }
        if (r < 3 + (frame % 3))
          put(x, y, TRgbColour{220, 255, 220});
      }
  } else if (kind == 1) {
    // A little figure waving both arms, five steps.
    const TRgbColour body = {255, 200, 60}, head = {255, 230, 180};
    for (int y = 14; y < 22; ++y)
      for (int x = 28; x < 36; ++x)
        put(x, y, head);
    put(30, 17, {40, 20, 20});
    put(33, 17, {40, 20, 20});
    for (int y = 22; y < 38; ++y)
      for (int x = 27; x < 37; ++x)
        put(x, y, body);
    for (int y = 38; y < 52; ++y) {
      put(28, y, {90, 120, 255});
      put(29, y, {90, 120, 255});
      put(34, y, {90, 120, 255});
      put(35, y, {90, 120, 255});
    }
    const double angle = (-40 + frame * 25) * Pi / 180;
    for (int k = 0; k < 14; ++k) {
      const int dx = static_cast<int>(std::lround(k * std::cos(angle)));
      const int dy = static_cast<int>(std::lround(-k * std::sin(angle)));
      put(37 + dx, 24 + dy, body);
      put(37 + dx, 25 + dy, body);
      put(26 - dx, 24 + dy, body);
      put(26 - dx, 25 + dy, body);
    }
    for (int x = 6; x < 58; ++x)
      put(x, 52, {255, 90, 160});
  } else {
    // A turning wire cube, ten steps per quarter turn.
    const double a = frame * (Pi / 2) / 10, b = 0.45;
    double vx[8], vy[8];
    for (int i = 0; i < 8; ++i) {
      const double x = (i & 1) ? 1 : -1, y = (i & 2) ? 1 : -1, z = (i & 4) ? 1 : -1;
      const double x1 = x * std::cos(a) + z * std::sin(a), z1 = -x * std::sin(a) + z * std::cos(a);
      const double y1 = y * std::cos(b) - z1 * std::sin(b), z2 = y * std::sin(b) + z1 * std::cos(b);
      const double scale = 15 * 4 / (4 + z2);
      vx[i] = 32 + x1 * scale;
      vy[i] = 32 - y1 * scale;
    }
    const int edges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                              {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& e : edges)
      for (int k = 0; k <= 40; ++k) {
        const double t = k / 40.0;
        put(static_cast<int>(vx[e[0]] + (vx[e[1]] - vx[e[0]]) * t),
            static_cast<int>(vy[e[0]] + (vy[e[1]] - vy[e[0]]) * t), TRgbColour{120, 220, 255});
      }
  }
  for (int i = 0; i < 64; ++i)
    for (int k = 0; k < 2; ++k) {
      put(i, k, {12, 12, 14});
      put(i, 63 - k, {12, 12, 14});
      put(k, i, {12, 12, 14});
      put(63 - k, i, {12, 12, 14});
    }
  return image;
}

}  // namespace

int WriteImages()
{
  int count = 0;
  auto write = [&](const std::string& name, const TImage& image) {
    WriteJpeg(name, image, Quality);
    ++count;
  };

  // Figure textures. The head is wrapped by longitude, the face at u = 0.5.
  write("data\\nogi.jpg", MakeImage(256, 256, [](double s, double t) {
          const double weave = 0.85 + 0.15 * std::sin(s * 2 * Pi * 64) * std::sin(t * 2 * Pi * 64 + s * 40);
          const double n = Fbm(s, t, 4, 4, 1);
          TRgbColour c = TRgbColour{44, 56, 92} * (weave * (0.75 + 0.5 * n));
          if (std::fabs(s - 0.5) < 0.01)
            c = c * 0.6;
          return c;
        }));
  write("data\\head.jpg", MakeImage(256, 256, [](double s, double t) {
          const TRgbColour skin = TRgbColour{226, 182, 148} * (0.92 + 0.16 * Fbm(s, t, 8, 3, 2));
          const TRgbColour hair = TRgbColour{52, 34, 24} * (0.8 + 0.4 * Fbm(s * 4, t, 16, 3, 3));
          const double face = std::fabs(s - 0.5);
          // Hair covers the top and the back of the head.
          const double hairLine = face < 0.15 ? 0.36 + 0.03 * std::cos(face * Pi * 3) : 0.39 + (face - 0.15) * 1.6;
          if (t < std::min(hairLine, 0.62))
            return hair;
          TRgbColour c = skin;
          // Eyes, brows, nose shadow and mouth.
          for (int side = -1; side <= 1; side += 2) {
            const double ex = (s - 0.5 - side * 0.055) / 0.028, ey = (t - 0.47) / 0.018;
            if (ex * ex + ey * ey < 1)
              c = ex * ex + ey * ey < 0.35 ? TRgbColour{40, 60, 80} : TRgbColour{245, 240, 235};
            if (std::fabs(s - 0.5 - side * 0.055) < 0.035 && std::fabs(t - 0.43) < 0.008)
              c = TRgbColour{70, 45, 30};
            if (std::fabs(s - 0.5 - side * 0.25) < 0.03 && std::fabs(t - 0.5) < 0.06)
              c = c * 0.85;
          }
          if (std::fabs(s - 0.5) < 0.012 && t > 0.48 && t < 0.56)
            c = c * 0.8;
          const double mx = (s - 0.5) / 0.045, my = (t - 0.615) / 0.012;
          if (mx * mx + my * my < 1)
            c = TRgbColour{160, 70, 70};
          return c;
        }));
  write("data\\shirt.jpg", MakeImage(256, 256, [](double s, double t) {
          const double n = Fbm(s, t, 8, 4, 4);
          TRgbColour c = TRgbColour{178, 48, 38} * (0.8 + 0.35 * n);
          const double stripe = std::fmod(t * 8, 1.0);
          if (stripe > 0.78)
            c = TRgbColour{230, 200, 150} * (0.85 + 0.2 * n);
          return c * (0.9 + 0.1 * std::sin(s * 2 * Pi * 48));
        }));
  write("data\\hands.jpg", MakeImage(128, 128, [](double s, double t) {
          return TRgbColour{222, 176, 142} * (0.9 + 0.2 * Fbm(s, t, 8, 3, 5));
        }));

  // The corridor atlas, four bands: walls, floor, ceiling, frames. Lighting
  // is off for the corridor, so the bands carry their own shading.
  write("data\\corridor.jpg", MakeImage(512, 512, [](double s, double t) {
          const int band = std::min(3, static_cast<int>(t * 4));
          const double v = t * 4 - band;
          const double n = Fbm(s, v, 8, 4, 6 + band);
          if (band == 0) {
            TRgbColour c = TRgbColour{100, 104, 114} * (0.8 + 0.3 * n);
            if (std::fmod(s * 4, 1.0) < 0.03 || v < 0.04 || v > 0.96)
              c = c * 0.45;
            if (std::fabs(v - 0.5) < 0.03)
              c = TRgbColour{255, 150, 60};
            return c;
          }
          if (band == 1) {
            const bool grate = std::fmod(s * 32, 1.0) < 0.2 || std::fmod(v * 16, 1.0) < 0.2;
            return TRgbColour{70, 72, 76} * ((grate ? 0.5 : 1.0) * (0.8 + 0.3 * n));
          }
          if (band == 2) {
            TRgbColour c = TRgbColour{150, 152, 160} * (0.8 + 0.3 * n);
            if (std::fabs(v - 0.5) < 0.12 && std::fmod(s * 2, 1.0) > 0.15 && std::fmod(s * 2, 1.0) < 0.85)
              c = TRgbColour{255, 250, 230};
            return c;
          }
          const bool hazard = std::fmod((s * 8 + v * 2), 1.0) < 0.5;
          return (hazard ? TRgbColour{190, 140, 30} : TRgbColour{30, 30, 30}) * (0.85 + 0.2 * n);
        }));
  // Kuba: u runs around each limb with the lit side at u = 0.5; bands of
  // panels along v.
  write("data\\kuba.jpg", MakeImage(256, 256, [](double s, double t) {
          const double light = 0.45 + 0.55 * std::pow(0.5 + 0.5 * std::cos((s - 0.5) * 2 * Pi), 1.5);
          const double n = Fbm(s, t, 8, 4, 7);
          TRgbColour c = TRgbColour{40, 90, 170} * (0.85 + 0.3 * n);
          if (std::fmod(t * 6, 1.0) < 0.12)
            c = TRgbColour{240, 240, 250};
          if (std::fmod(s * 8, 1.0) < 0.06)
            c = c * 0.5;
          return c * light;
        }));
  write("data\\net.jpg", MakeImage(256, 256, [](double s, double t) {
          const double gx = std::fabs(std::fmod(s * 12, 1.0) - 0.5), gy = std::fabs(std::fmod(t * 12, 1.0) - 0.5);
          const double line = std::max(SmoothStep(0.38, 0.5, gx), SmoothStep(0.38, 0.5, gy));
          const double edge = 1 - SmoothStep(0.42, 0.5, std::hypot(s - 0.5, t - 0.5));
          return TRgbColour{90, 200, 255} * (line * edge);
        }));
  write("data\\water.jpg", MakeSphereMap(256, [](double x, double y, double z) {
          TRgbColour c = DustSky(x, std::fabs(y), z, 0.3, 0.35, 0.89);
          if (y < 0)
            c = c * 0.55;
          const double glint = Hash(static_cast<int>((x + 1) * 90), static_cast<int>((y + 1) * 90), 8);
          if (glint > 0.985)
            c = c + TRgbColour{120, 110, 90};
          return c;
        }));

  write("data\\sky.jpg", SkyPanorama());
  // The sun quad shows the image upside down and mirrored (t = 0 at its
  // bottom edge), so the disc sits in the lower part of the image to stand
  // above the horizon.
  write("data\\sun.jpg", MakeImage(256, 256, [](double s, double t) {
          const double r = std::hypot(s - 0.5, t - 0.64);
          const double fade = 1 - SmoothStep(0.3, 0.36, r);
          TRgbColour c = TRgbColour{255, 245, 225} * (1 - SmoothStep(0.028, 0.036, r));
          c = c + TRgbColour{255, 170, 90} * (0.9 * std::exp(-r * 22) * fade);
          c = c + TRgbColour{200, 120, 60} * (0.35 * std::exp(-std::fabs(t - 0.64) * 140) *
                                          std::exp(-std::fabs(s - 0.5) * 6) * fade);
          return c;
        }));
  const TImage smog = MakeImage(128, 128, [](double s, double t) {
    const double n = Fbm(s, t, 4, 4, 9);
    return Mix(TRgbColour{92, 84, 80}, TRgbColour{190, 178, 160}, n * (1.2 - t * 0.5));
  });
  write("data\\smog.jpg", smog);
  write("data\\smogalpha.jpg", MakeImage(128, 128, [](double s, double t) {
          const double r = std::hypot(s - 0.5, t - 0.5) * 2;
          const double n = Fbm(s, t, 4, 4, 10);
          const double a = std::pow(Clamp01(1 - r), 1.6) * (0.55 + 0.7 * n);
          return TRgbColour{255, 255, 255} * Clamp01(a);
        }));
  write("Data\\Atom.jpg", MakeImage(256, 256, [](double s, double t) {
          const double dx = s - 0.5, dy = t - 0.5, r = std::hypot(dx, dy) * 2;
          const double angle = std::atan2(dy, dx);
          const double rays = Noise((angle + Pi) / (2 * Pi) * 48, 0.5, 48, 12);
          const double fade = 1 - SmoothStep(0.8, 1.0, r);
          const double burst = std::pow(rays, 3) * std::exp(-r * 2.2) * 2.2 + std::exp(-r * 9) * 1.2;
          return Mix(TRgbColour{255, 120, 40}, TRgbColour{255, 250, 230}, Clamp01(burst - 0.4)) * (Clamp01(burst) * fade);
        }));

  for (int i = 0; i <= 5; ++i)
    write("data\\loop1-" + std::to_string(i) + ".jpg", Loop(i, 0));
  for (int i = 0; i <= 4; ++i)
    write("data\\loop2-" + std::to_string(i) + ".jpg", Loop(i, 1));
  for (int i = 0; i <= 9; ++i)
    write("data\\loop3-" + std::to_string(i) + ".jpg", Loop(i, 2));

  write("Wobbla\\wobblaenv.jpg", MakeSphereMap(256, [](double x, double y, double z) {
          return Chrome(x, y, z, TRgbColour{120, 140, 220}, TRgbColour{40, 40, 70});
        }));
  write("Wobbla\\wobblaenvred.jpg", MakeSphereMap(256, [](double x, double y, double z) {
          const TRgbColour c = Chrome(x, y, z, TRgbColour{200, 40, 40}, TRgbColour{70, 10, 14});
          return TRgbColour{c.r, c.g * 0.45, c.b * 0.4};
        }));

  // City textures. The wall repeats every 140 units: four storeys of four
  // windows; wallenvalpha is white exactly where the windows are.
  auto window = [](double s, double t) {
    const double u = std::fmod(s * 4, 1.0), v = std::fmod(t * 4, 1.0);
    return u > 0.18 && u < 0.82 && v > 0.22 && v < 0.78;
  };
  write("City\\tube.jpg", MakeImage(256, 256, [](double s, double t) {
          const double n = Fbm(s, t, 8, 4, 13);
          TRgbColour c = TRgbColour{150, 156, 166} * (0.75 + 0.35 * n);
          const double rib = std::fmod(t * 4, 1.0);
          if (rib < 0.08)
            c = c * 0.55;
          else if (rib < 0.12)
            c = c * 1.25;
          if (std::fabs(s - 0.5) < 0.04)
            c = TRgbColour{230, 120, 40};
          return c;
        }));
  write("City\\wall.jpg", MakeImage(512, 512, [&](double s, double t) {
          const double n = Fbm(s, t, 8, 5, 14);
          TRgbColour c = TRgbColour{156, 146, 130} * (0.75 + 0.35 * n);
          const double stain = SmoothStep(0.5, 0.8, Fbm(s, t * 0.5, 4, 3, 15));
          c = c * (1 - 0.25 * stain);
          if (window(s, t)) {
            const double v = std::fmod(t * 4, 1.0);
            c = Mix(TRgbColour{40, 50, 66}, TRgbColour{90, 104, 120}, (v - 0.22) / 0.56);
            if (Hash(static_cast<int>(s * 4), static_cast<int>(t * 4), 16) > 0.8)
              c = TRgbColour{230, 190, 120};
          } else {
            const double u = std::fmod(s * 4, 1.0), v = std::fmod(t * 4, 1.0);
            if ((u > 0.14 && u < 0.86 && v > 0.18 && v < 0.82) || std::fabs(v - 0.97) < 0.02)
              c = c * 0.72;
          }
          return c;
        }));
  write("City\\side.jpg", MakeImage(256, 256, [](double s, double t) {
          const int row = static_cast<int>(t * 16);
          const double offset = (row % 2) * 0.5;
          const double u = std::fmod(s * 8 + offset, 1.0), v = std::fmod(t * 16, 1.0);
          const double n = Fbm(s, t, 8, 4, 17);
          const double brick = 0.8 + 0.4 * Hash(static_cast<int>(s * 8 + offset), row, 18);
          TRgbColour c = TRgbColour{138, 72, 52} * (brick * (0.8 + 0.3 * n));
          if (u < 0.06 || v < 0.12)
            c = TRgbColour{120, 112, 100} * (0.8 + 0.3 * n);
          return c;
        }));
  write("City\\cave.jpg", MakeImage(256, 256, [](double s, double t) {
          const double n = Fbm(s, t, 4, 6, 19);
          const double crack = std::fabs(Fbm(s, t, 6, 3, 20) - 0.5);
          TRgbColour c = Mix(TRgbColour{70, 60, 52}, TRgbColour{150, 136, 118}, n);
          if (crack < 0.02)
            c = c * 0.5;
          return c;
        }));
  write("City\\front.jpg", MakeImage(256, 256, [](double s, double t) {
          const int row = static_cast<int>(t * 12);
          const double offset = (row % 2) * 0.5;
          const double u = std::fmod(s * 10 + offset, 1.0), v = std::fmod(t * 12, 1.0);
          const double n = Fbm(s, t, 8, 4, 21);
          const double tile = 0.8 + 0.35 * Hash(static_cast<int>(s * 10 + offset), row, 22);
          TRgbColour c = TRgbColour{116, 78, 66} * (tile * (0.75 + 0.35 * n) * (1.05 - 0.35 * v));
          if (u < 0.05)
            c = c * 0.5;
          return c;
        }));
  write("city\\envglobal.jpg", MakeSphereMap(256, [](double x, double y, double z) {
          return Chrome(x, y, z, TRgbColour{70, 56, 100}, TRgbColour{90, 80, 72});
        }));
  write("city\\wallenvalpha.jpg", Grey(MakeImage(512, 512, [&](double s, double t) {
          return window(s, t) ? TRgbColour{235, 235, 235} : TRgbColour{18, 18, 18};
        })));
  return count;
}
