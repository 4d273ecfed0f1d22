// Textures: JPEG images turned into mip-mapped GL textures, colour images with
// a separate alpha image, empty render targets (the frame's, made by
// engine/framebuffer.h) and the named texture list that scenes search by key.
//
// Rows are uploaded top row first, so t = 0 addresses the top row of an image
// and s = 0 its left column. Textures are created at start-up and never
// deleted. DecodeJpeg, TextureKey, ListTexture and FindTexture touch no GL;
// LoadTexture, LoadAlphaTexture, CreateRenderTarget, ClearRenderTarget and
// AddTexture need a current context and leave the texture bound. A file that
// cannot be read or decoded ends the process with an error naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded image: Width x Height pixels of R, G, B bytes, top row first.
struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// Decodes a JPEG held in memory; a greyscale image gives R = G = B. Damaged
// or truncated data is refused with libjpeg's reason.
bool DecodeJpeg(const uint8_t* bytes, size_t size, TRgbImage& image, std::string& error);

constexpr int TextureListCapacity = 1000;
constexpr size_t TextureKeyLength = 32;

struct TTextureList {
  int32_t Count = 0;
  uint32_t TextureIds[TextureListCapacity] = {};
  std::string TextureKeys[TextureListCapacity];  // at most TextureKeyLength bytes
};

// The program's texture list, empty at start-up.
extern TTextureList Textures;  // filled by LoadAssets, searched by the scenes

// filters are GL enumerants (GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, ...). Mipmaps
// are built with GLU whatever the filters, at power-of-two size.
uint32_t LoadTexture(const std::string& fileName, int magFilter, int minFilter);
// RGBA: colour from colourFile, alpha from alphaFile's blue channel (its grey
// level for a greyscale image). The two images must have the same size.
uint32_t LoadAlphaTexture(const std::string& colourFile, const std::string& alphaFile,
                          int magFilter, int minFilter);
// A black RGB texture with linear filters and no mipmaps. A size the driver
// refuses (a side below zero, say) leaves a GL error and the texture without
// storage; the caller checks glGetError.
uint32_t CreateRenderTarget(int width, int height);
// Makes a render target of that size black again, as CreateRenderTarget left it.
void ClearRenderTarget(uint32_t texture, int width, int height);

// The file name cut at its first ".", without everything up to the last "\"
// and the last "/", ASCII letters upper-cased: "data\nogi.jpg" gives NOGI.
std::string TextureKey(const std::string& fileName);

// Appends a texture under key cut to TextureKeyLength bytes. Returns false,
// changing nothing, when the list is full.
bool ListTexture(TTextureList& list, const std::string& key, uint32_t texture);
// Loads fileName (linear, linear-mipmap-linear) and lists it under its
// TextureKey. A full list is a fatal error.
void AddTexture(TTextureList& list, const std::string& fileName);
// The texture of the first entry whose key equals key byte for byte, or 0.
uint32_t FindTexture(const TTextureList& list, const std::string& key);
