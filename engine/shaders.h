// The two ways the layered effects are drawn, and the GLSL programs of the
// fast one.
//
// The post-processing chain's restore, blur mix and glow and atom's sky shells
// were designed as stacks of full-screen blended layers. The reference path
// draws them so, layer by layer. The fast path, the default, draws each stack
// in one pass with a GLSL 1.20 program that works out per pixel what the
// layers leave there, rounding as the blend unit does; its picture stays
// within a tolerance of the reference (tools/compare checks two captures).
// The chain's program multiplies as Mesa's blend unit does and so leaves the
// layers' pixels exactly on Mesa; another blend unit may round some products
// the other way. The shells' program counts crossings where the layers draw
// facets, and differs from them in a few pixels.
// UseReferencePath selects the reference for the whole program (the
// capture tool's and the bench's --reference, the tests' comparisons). Where
// a program cannot be built (a driver without GLSL 1.20), its reason is said
// once on standard error and that effect is drawn the reference way.
//
// FastProgram and the programs' uniforms issue GL calls and need a current
// context; programs are built on first use (the timeline's warm-up draws every
// effect once, so no scene builds one while it plays), and their uniforms are
// looked up once, when they are built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

void UseReferencePath(bool on);
// False unless UseReferencePath(true); FastProgram and the bench's report read it.
bool ReferencePathInUse();

// One program of the fast path: its name for messages, its two shaders and
// the names of the uniforms it is drawn with.
struct TFastProgram {
  const char* Name;
  const char* VertexShader;
  const char* FragmentShader;
  std::vector<const char*> UniformNames = {};
  uint32_t Id = 0;
  bool Failed = false;
  // The locations of UniformNames, in their order, from when the program was
  // built; -1 for a uniform the program does not use.
  std::vector<int32_t> Uniforms = {};
};

// The program's GL name, built (and its Uniforms looked up) on first use, or
// 0 when the reference path is chosen or the program could not be built.
uint32_t FastProgram(TFastProgram& program);

// Compiles and links a vertex and a fragment shader: the program's GL name,
// or 0 with the compiler's or linker's log in error.
uint32_t BuildProgram(const char* vertexShader, const char* fragmentShader, std::string& error);
