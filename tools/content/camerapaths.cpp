#include "tools/content/camerapaths.h"

#include "engine/numbers.h"
#include "tools/content/geometry.h"
#include "tools/content/writers.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

TCamera Key(TVec eye, TVec target, double fov = 70, TVec up = {0, 1, 0})
{
  auto v = [](TVec a) { return TVector3{float(a.x), float(a.y), float(a.z)}; };
  return TCamera{float(fov), v(eye), v(target), v(up)};
}

// Keys on a circle around centre, angle in degrees measured from -z towards
// +x, radius and height interpolated linearly from the first to the last key.
std::vector<TCamera> Orbit(TVec centre, TVec target, double r0, double r1, double y0, double y1,
                           double a0, double a1, int keys, double fov = 70)
{
  std::vector<TCamera> path;
  for (int k = 0; k < keys; ++k) {
    const double t = double(k) / (keys - 1);
    const double a = (a0 + (a1 - a0) * t) * Pi / 180, r = r0 + (r1 - r0) * t;
    path.push_back(Key({centre.x + r * std::sin(a), y0 + (y1 - y0) * t, centre.z - r * std::cos(a)}, target, fov));
  }
  return path;
}

// Keys along straight steps from the first eye to the last, each looking
// ahead of itself by lead along the travel, raised by lift.
std::vector<TCamera> Glide(const std::vector<TVec>& eyes, double lead, double lift, double fov = 70)
{
  std::vector<TCamera> path;
  for (size_t k = 0; k < eyes.size(); ++k) {
    const TVec next = k + 1 < eyes.size() ? eyes[k + 1] : eyes[k] * 2.0 - eyes[k - 1];
    const TVec previous = k > 0 ? eyes[k - 1] : eyes[k] * 2.0 - eyes[k + 1];
    const TVec ahead = Normalize(next - previous);
    path.push_back(Key(eyes[k], eyes[k] + ahead * lead + TVec{0, lift, 0}, fov));
  }
  return path;
}

// Keys on a straight line from eye0 to eye1, the target moving from target0
// to target1 alongside.
std::vector<TCamera> Dolly(TVec eye0, TVec eye1, TVec target0, TVec target1, int keys, double fov = 70)
{
  std::vector<TCamera> path;
  for (int k = 0; k < keys; ++k) {
    const double t = double(k) / (keys - 1);
    path.push_back(Key(eye0 + (eye1 - eye0) * t, target0 + (target1 - target0) * t, fov));
  }
  return path;
}

}  // namespace

int WriteCameraPaths()
{
  int files = 0;
  auto write = [&](const std::string& name, const std::vector<TCamera>& keys) {
    WriteCameraKeys("data\\" + name + ".camera", keys);
    ++files;
  };

  // Not sampled by any scene; an overview of the city.
  write("default", Orbit({0, 0, 0}, {0, 150, 0}, 900, 900, 500, 500, -30, 30, 4));

  // The figure on its roof at (50, 239.8, 28) beside its screen; the camera
  // waits on the first key, then pulls back and up over the city.
  write("scene_hum", {Key({47, 251, -10}, {38, 253, 30}, 60), Key({50, 255, -45}, {37, 253, 30}, 62),
                      Key({58, 272, -110}, {35, 256, 40}, 64), Key({70, 300, -200}, {30, 262, 80}, 66),
                      Key({85, 345, -320}, {20, 270, 200}, 68), Key({100, 400, -460}, {0, 280, 400}, 70),
                      Key({110, 460, -620}, {0, 290, 600}, 70), Key({115, 520, -780}, {0, 300, 800}, 70)});

  // Eight short flights, each flown to 5/8 of its length.
  write("scene_prefall0", Glide({{-500, 440, -1400}, {-420, 440, -1150}, {-340, 445, -900}, {-260, 450, -650},
                                 {-180, 455, -400}, {-100, 460, -150}},
                                400, -120));
  write("scene_prefall1", {Key({-460, 170, 945}, {-200, 150, 1000}), Key({-240, 180, 945}, {20, 160, 1000}),
                           Key({-20, 190, 945}, {240, 170, 1000}), Key({200, 200, 945}, {460, 180, 1000}),
                           Key({420, 210, 945}, {680, 190, 1000}), Key({640, 220, 945}, {900, 200, 1000})});
  write("scene_prefall2", {Key({-640, 430, -470}, {-300, 380, -250}), Key({-500, 420, -380}, {-200, 380, -280}),
                           Key({-330, 410, -300}, {-120, 380, -350}), Key({-200, 420, -220}, {-60, 400, -420}),
                           Key({-80, 440, -180}, {0, 420, -500}), Key({40, 460, -160}, {60, 440, -560})});
  write("scene_prefall3", Glide({{-720, 270, -1300}, {-720, 255, -1000}, {-720, 245, -700}, {-720, 240, -400},
                                 {-720, 240, -100}, {-720, 250, 200}},
                                500, -110));
  write("scene_prefall4", {Key({450, 110, -475}, {600, 300, -600}), Key({520, 180, -476}, {600, 300, -600}),
                           Key({590, 250, -477}, {600, 300, -600}), Key({660, 320, -478}, {600, 300, -600}),
                           Key({730, 390, -479}, {600, 300, -600}), Key({800, 460, -480}, {600, 300, -600})});
  write("scene_prefall5", Orbit({50, 0, 28}, {50, 200, 28}, 210, 190, 330, 310, -20, 130, 6));
  write("scene_prefall6", {Key({0, 950, -1500}, {0, 200, 1000}, 65), Key({0, 900, -1250}, {0, 200, 1000}, 65),
                           Key({0, 850, -1000}, {0, 200, 1000}, 65), Key({0, 800, -750}, {0, 200, 1000}, 65),
                           Key({0, 760, -500}, {0, 200, 1000}, 65), Key({0, 720, -250}, {0, 200, 1000}, 65)});
  write("scene_prefall7", Glide({{1300, 70, 240}, {1000, 72, 240}, {700, 75, 240}, {400, 78, 240},
                                 {100, 80, 240}, {-200, 85, 240}},
                                400, 5));

  // The balancing figure at (50, 239.8, 48) seen from beyond the far edge of
  // its roof, the eye barely above the roof: the unlit roof shrinks to a
  // ledge under the figure, which stands against the sky and the sun, and
  // the tower's lit front wall fills the lower part of the view, where the
  // caption goes. The camera drifts sideways along the wall.
  write("scene_balance", {Key({84, 242, -96}, {46, 254, 48}, 34), Key({88, 242, -95}, {46, 254, 48}, 34),
                          Key({92, 242, -94}, {47, 254, 48}, 34), Key({96, 242.5, -93}, {48, 254, 48}, 34),
                          Key({100, 243, -92}, {48, 254, 48}, 34), Key({104, 243, -91}, {49, 254, 48}, 34),
                          Key({108, 243, -90}, {50, 254, 48}, 34)});

  // A dive into the street x = 480 and along it; the scene flies 80 %.
  write("scene_fall", {Key({480, 1050, -1500}, {480, 300, -700}, 75), Key({480, 850, -1150}, {480, 150, -450}, 75),
                       Key({480, 640, -850}, {480, 300, 0}, 75), Key({480, 420, -580}, {480, 60, -100}, 72),
                       Key({480, 190, -330}, {480, 80, 200}, 70), Key({480, 95, -100}, {480, 80, 500}, 70),
                       Key({480, 78, 150}, {470, 80, 800}, 70), Key({480, 80, 380}, {450, 90, 1000}, 70),
                       Key({480, 90, 600}, {400, 100, 1100}, 70)});
  // Above the falling figure (chest at the origin, head towards -z), rolling.
  write("scene_fallhuman", {Key({0, 60, 15}, {0, 0, 0}, 60, {0, 0, -1}), Key({8, 52, 10}, {0, 0, 0}, 60, {0.3, 0, -1}),
                            Key({12, 45, 2}, {0, 0, 0}, 60, {0.6, 0, -0.8}), Key({10, 40, -6}, {0, 0, 0}, 60, {0.9, 0, -0.4}),
                            Key({4, 36, -10}, {0, 0, 0}, 60, {1, 0, 0}), Key({-4, 33, -10}, {0, 0, 0}, 60, {0.9, 0, 0.4})});

  // A slow glide over the roofs and the water towards the sun. While the
  // caption is faint, and again as the picture sinks into black, the camera
  // looks up along the smoke columns, so the black AMBIENCE stands on the
  // sky: the purple water alone is too dark behind it.
  write("scene_water", {Key({-1300, 330, -1350}, {-600, 150, -500}), Key({-1000, 300, -1150}, {-300, 140, -300}),
                        Key({-700, 270, -960}, {-200, 700, -300}), Key({-400, 300, -960}, {-137, 1000, -352}),
                        Key({-100, 320, -960}, {-60, 1000, -300}), Key({240, 230, -800}, {300, 170, 200}),
                        Key({240, 230, -500}, {200, 200, 400}), Key({290, 270, -250}, {232, 1000, 387}),
                        Key({280, 320, 20}, {-200, 250, 600}), Key({300, 420, 240}, {-300, 260, 900})});

  // Four shots of the blobs (around (-40, 170, 0)); each flies half its path.
  // The light stands towards -z, so the shots keep to that side. After the
  // first, each shot looks over a near blob, whose chrome fills the bottom of
  // the view: dark enough for the white E, light enough for the black MOTION.
  const TVec blobs = {-40, 0, 0}, blobsTarget = {-40, 170, 0};
  write("scene_wobbler0", Orbit(blobs, blobsTarget, 430, 380, 215, 185, -60, 60, 7));
  write("scene_wobbler1", Dolly({-10, 175, -350}, {-110, 168, -340}, {-110, 230, 30}, {-140, 230, 30}, 5, 60));
  write("scene_wobbler2", Dolly({230, 150, -270}, {170, 150, -300}, {-40, 210, 0}, {-60, 210, 0}, 5, 60));
  write("scene_wobbler3", Dolly({-330, 160, -150}, {-290, 160, -190}, {-150, 200, 80}, {-110, 200, 60}, 5, 60));

  // Through the streets: z = -480 westward, x = -240 northward, z = 480 eastward.
  write("scene_rush", {Key({1300, 70, -480}, {800, 65, -480}, 75), Key({900, 65, -480}, {400, 60, -480}, 75),
                       Key({500, 60, -480}, {0, 60, -480}, 75), Key({100, 62, -480}, {-400, 60, -470}, 75),
                       Key({-200, 70, -430}, {-240, 70, 0}, 78, {0.25, 1, 0}), Key({-240, 75, -150}, {-240, 75, 300}, 75),
                       Key({-240, 80, 200}, {-200, 80, 700}, 75), Key({-190, 85, 470}, {300, 85, 480}, 78, {0, 1, -0.25}),
                       Key({200, 90, 480}, {700, 90, 480}, 75), Key({600, 95, 480}, {1100, 95, 480}, 75),
                       Key({1000, 100, 480}, {1500, 100, 480}, 75)});

  // Around the turning cage over the plaza; each shot flies its whole path.
  write("scene_capped0", Orbit({0, 0, 0}, {0, 400, 0}, 400, 400, 130, 170, -10, 45, 5, 75));
  write("scene_capped1", Orbit({0, 0, 0}, {0, 330, 0}, 560, 540, 660, 610, 60, 140, 5));
  write("scene_capped2", {Key({-320, 190, 120}, {0, 420, 0}, 75), Key({-250, 193, 25}, {0, 420, 0}, 75),
                          Key({-180, 196, -70}, {0, 420, 0}, 75), Key({-120, 198, -165}, {0, 420, 0}, 75),
                          Key({-60, 200, -260}, {0, 420, 0}, 75)});
  write("scene_capped3", {Key({720, 460, -900}, {0, 470, 0}), Key({660, 450, -930}, {0, 470, 0}),
                          Key({600, 440, -960}, {0, 470, 0}), Key({540, 430, -990}, {0, 470, 0}),
                          Key({480, 420, -1020}, {0, 470, 0})});

  // Around the big kuba figure at the origin (about 900 units high, facing +z).
  const TVec kuba = {0, 0, 0};
  write("scene_kuba0", Orbit(kuba, {0, 430, 0}, 1000, 940, 250, 230, 150, 210, 6));
  write("scene_kuba1", Orbit(kuba, {0, 520, 0}, 640, 580, 60, 80, 130, 180, 6, 78));
  write("scene_kuba2", Orbit(kuba, {0, 380, 0}, 850, 800, 780, 720, 200, 250, 6));
  write("scene_kuba3", Orbit(kuba, {0, 400, 0}, 1150, 1050, 300, 270, 165, 205, 6));

  // Towards the middle of the city, where the flash grows.
  write("scene_atom", {Key({-700, 400, -760}, {0, 150, 0}), Key({-620, 390, -700}, {0, 150, 0}),
                       Key({-540, 380, -640}, {0, 150, 0}), Key({-460, 370, -580}, {0, 150, 0}),
                       Key({-380, 370, -540}, {0, 150, 0}), Key({-300, 380, -520}, {0, 160, 0})});

  // A slow half circle round the blobs, low over the water: the blobs stand
  // against the sky and the greetings on the paler far water.
  write("scene_outro", Orbit(blobs, {-40, 190, 0}, 520, 440, 150, 125, -85, 85, 12));

  // The world behind the corridor (the scene flies 30 % to 50 % of it).
  write("scene_last", Orbit({0, 0, 0}, {0, 200, 0}, 650, 600, 330, 300, -60, 120, 7));
  // Along the corridor to its open end; the scene flies 80 % of it.
  {
    std::vector<TCamera> keys;
    for (int k = 0; k < 9; ++k) {
      const double z = 40 + 300 * k, sway = (k % 2 ? 8 : -8) * (k > 0);
      keys.push_back(Key({sway, 34 + (k % 3) * 2.0, z}, {-sway * 0.5, 36, z + 250}, 72,
                         {0.08 * std::sin(k * 1.3), 1, 0}));
    }
    write("scene_corridor", keys);
  }

  // The credits: a slow rise over the plaza and the city beyond it, looking
  // down and away from the sun, so that the white credits stand on the unlit
  // ground, roofs and fronts rather than on the bright sky, and clear of the
  // chrome tube along z = 720, which shines through the opening flash.
  write("scene_movrik", {Key({260, 440, 650}, {104, 0, 34}), Key({220, 496, 572}, {88, 0, -122}),
                         Key({180, 552, 494}, {72, 0, -279}), Key({140, 608, 416}, {56, 0, -435}),
                         Key({100, 664, 338}, {40, 0, -592}), Key({60, 720, 260}, {24, 0, -748})});
  return files;
}
