// The scene classes of the timeline. Each derives from mve_genericscene and
// adds no fields; its camera paths and other state are private to its own
// source file. Render(t, pacing) draws one frame at music time t with the
// timeline's pacing; Prepare runs once at start-up, after the assets are
// loaded.
#pragma once

#include "scenes/scene.h"

// Fills the slots that hold no scene; never active, but its Prepare loads
// "data\default.camera", which must therefore exist.
class tscene_city : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};

class tscene_hum : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_prefall : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_balance : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_fall : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_water : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_wobbler : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_rush : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_capped : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_jump : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_atom : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_outro : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_last : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
class tscene_movrik : public mve_genericscene {
public:
  void Render(int32_t t, TFramePacing pacing) override;
  void Prepare() override;
};
