#include "engine/fatal.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

void ShowMessage(const std::string& text, const std::string& caption, TMessageIcon icon)
{
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
    return;
  Uint32 flags = SDL_MESSAGEBOX_ERROR;
  if (icon == TMessageIcon::Warning)
    flags = SDL_MESSAGEBOX_WARNING;
  else if (icon == TMessageIcon::Information)
    flags = SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) != 0)
    std::fprintf(stderr, "The message could not be shown (%s).\n", SDL_GetError());
}

void FatalFileError(const std::string& file, const std::string& reason)
{
  FatalMessage(file + ": " + reason, "Error");
}

void FatalMessage(const std::string& text, const std::string& caption)
{
  ShowMessage(text, caption, TMessageIcon::Error);
  std::exit(1);
}
