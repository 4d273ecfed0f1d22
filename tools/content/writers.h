// The file writers of the content generator. Every writer takes the program's
// own file name ("data\nogi.jpg", backslashes and all) relative to the output
// tree given to SetOutputRoot, creates missing directories, writes the file
// whole or not at all (WriteFileBytes), and ends the process with
// FatalFileError, naming the file and the reason, when it cannot be written;
// an older file of that name is then kept. Numbers in text files are printed
// in the C locale.
#pragma once

#include "engine/camera.h"
#include "tools/content/geometry.h"

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB image, rows from the top.
struct TImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

void SetOutputRoot(const std::string& root);
// The output path of a program file name.
std::string OutputPath(const std::string& name);

// Baseline JPEG at a fixed quality, always three components.
void WriteJpeg(const std::string& name, const TImage& image, int quality);
// Binary ".geox": counts, then x, z, y, u, v per vertex and three indices per face.
void WriteGeox(const std::string& name, const TMesh& mesh);
// Text ".textgeox" with the same records.
void WriteTextGeox(const std::string& name, const TMesh& mesh);
// ".map" for a model written with WriteGeox: one pair per vertex, then the faces.
void WriteGeoxMap(const std::string& name, const TMesh& mesh);
// One model of a directory: written as ".textgeox" when the file name says
// so, as binary ".geox" otherwise.
struct TListEntry {
  std::string FileName;
  TMesh Mesh;
};
// Writes every model of a directory ("City") and its "geometry.list", one
// file name per line in the given order.
void WriteModelList(const std::string& directory, const std::vector<TListEntry>& entries);

void WriteTextFile(const std::string& name, const std::string& text);
// A camera path file: a leading record (a copy of the first key, which the
// sampler skips) followed by the keys.
void WriteCameraKeys(const std::string& name, const std::vector<TCamera>& keys);
