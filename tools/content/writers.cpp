#include "tools/content/writers.h"

#include "engine/bytes.h"
#include "engine/fatal.h"
#include "engine/paths.h"

#include <jpeglib.h>

#include <cstdio>
#include <strings.h>
#include <filesystem>

namespace {

std::string OutputRoot = ".";

void WriteBytes(const std::string& name, const void* data, size_t size)
{
  const std::string path = OutputPath(name);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec)
    FatalFileError(path, ec.message());
  std::string error;
  if (!WriteFileBytes(path, data, size, error))
    FatalFileError(path, error);
}

std::string FormatNumber(double value)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(static_cast<float>(value)));
  return text;
}

}  // namespace

void SetOutputRoot(const std::string& root) { OutputRoot = root; }

std::string OutputPath(const std::string& name)
{
  std::string relative = name;
  for (char& c : relative)
    if (c == '\\')
      c = '/';
  // The program spells its directories in varying case ("Data", "city");
  // each is written once, in the case listed here.
  static const char* const Directories[] = {"data", "City", "Wobbla", "Huma", "Humb", "Humc"};
  const size_t slash = relative.find('/');
  if (slash != std::string::npos)
    for (const char* directory : Directories)
      if (strcasecmp(relative.substr(0, slash).c_str(), directory) == 0)
        relative = directory + relative.substr(slash);
  return OutputRoot + "/" + relative;
}

void WriteJpeg(const std::string& name, const TImage& image, int quality)
{
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = image.Width;
  info.image_height = image.Height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixels.data() + size_t(info.next_scanline) * image.Width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  WriteBytes(name, buffer, size);
  std::free(buffer);
}

void WriteGeox(const std::string& name, const TMesh& mesh)
{
  std::vector<uint8_t> out;
  AppendI32(out, static_cast<int32_t>(mesh.Vertices.size()));
  AppendI32(out, static_cast<int32_t>(mesh.Faces.size()));
  for (const TMeshVertex& v : mesh.Vertices)
    for (double value : {v.Position.x, v.Position.z, v.Position.y, v.U, v.V})
      AppendF32(out, static_cast<float>(value));
  for (const auto& f : mesh.Faces)
    for (int32_t index : f)
      AppendI32(out, index);
  WriteBytes(name, out.data(), out.size());
}

void WriteTextGeox(const std::string& name, const TMesh& mesh)
{
  std::string text = std::to_string(mesh.Vertices.size()) + "\n" +
                     std::to_string(mesh.Faces.size()) + "\n";
  for (const TMeshVertex& v : mesh.Vertices)
    text += FormatNumber(v.Position.x) + " " + FormatNumber(v.Position.z) + " " +
            FormatNumber(v.Position.y) + " " + FormatNumber(v.U) + " " + FormatNumber(v.V) + "\n";
  for (const auto& f : mesh.Faces)
    text += std::to_string(f[0]) + " " + std::to_string(f[1]) + " " + std::to_string(f[2]) + "\n";
  WriteTextFile(name, text);
}

void WriteGeoxMap(const std::string& name, const TMesh& mesh)
{
  std::string text = std::to_string(mesh.Vertices.size()) + "\n";
  for (const TMeshVertex& v : mesh.Vertices)
    text += FormatNumber(v.U) + " " + FormatNumber(v.V) + "\n";
  for (const auto& f : mesh.Faces)
    text += std::to_string(f[0]) + " " + std::to_string(f[1]) + " " + std::to_string(f[2]) + "\n";
  WriteTextFile(name, text);
}

void WriteModelList(const std::string& directory, const std::vector<TListEntry>& entries)
{
  std::string list;
  for (const TListEntry& entry : entries) {
    const std::string name = directory + "\\" + entry.FileName;
    if (entry.FileName.find(".textgeox") != std::string::npos)
      WriteTextGeox(name, entry.Mesh);
    else
      WriteGeox(name, entry.Mesh);
    list += entry.FileName + "\n";
  }
  WriteTextFile(directory + "\\geometry.list", list);
}

void WriteTextFile(const std::string& name, const std::string& text)
{
  WriteBytes(name, text.data(), text.size());
}

void WriteCameraKeys(const std::string& name, const std::vector<TCamera>& keys)
{
  static TCameraPath path;
  path = {};
  if (keys.empty() || keys.size() + 1 > static_cast<size_t>(CameraPathSlots))
    FatalFileError(name, "a camera path needs 1 to 99 keys");
  path.Count = static_cast<int32_t>(keys.size()) + 1;
  path.CameraKeys[0] = keys[0];
  for (size_t i = 0; i < keys.size(); ++i)
    path.CameraKeys[i + 1] = keys[i];
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(OutputPath(name)).parent_path(), ec);
  std::string error;
  if (!SaveCameraPath(path, OutputPath(name), error))
    FatalFileError(OutputPath(name), error);
}
