#include "engine/fatal.h"

#include "engine/boxprocess.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

extern "C" void EndOnSignal(int)
{
  std::_Exit(1);
}

// Shows one box, SIGTERM and SIGINT ending the program meanwhile. Returns
// SDL's result: 0 when the box was shown and answered.
int ShowBox(const SDL_MessageBoxData& box, int& button)
{
  void (*const term)(int) = std::signal(SIGTERM, EndOnSignal);
  void (*const interrupt)(int) = std::signal(SIGINT, EndOnSignal);
  if (term == SIG_IGN)
    std::signal(SIGTERM, SIG_IGN);
  if (interrupt == SIG_IGN)
    std::signal(SIGINT, SIG_IGN);
  BeginBoxProcess();
  const int shown = SDL_ShowMessageBox(&box, &button);
  EndBoxProcess();
  std::signal(SIGTERM, term == SIG_ERR ? SIG_DFL : term);
  std::signal(SIGINT, interrupt == SIG_ERR ? SIG_DFL : interrupt);
  return shown;
}

}  // namespace

void ShowMessage(const std::string& text, const std::string& caption, TMessageIcon icon)
{
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
    return;
  const SDL_MessageBoxButtonData ok = {
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
  const SDL_MessageBoxData box = {
      icon == TMessageIcon::Warning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_ERROR,
      nullptr, caption.c_str(), text.c_str(), 1, &ok, nullptr};
  int button = 0;
  if (ShowBox(box, button) != 0)
    std::fprintf(stderr, "The message could not be shown (%s).\n", SDL_GetError());
}

bool AskYesNo(const std::string& text, const std::string& caption)
{
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  const SDL_MessageBoxData box = {SDL_MESSAGEBOX_WARNING, nullptr, caption.c_str(), text.c_str(),
                                  2, buttons, nullptr};
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  int answer = 1;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || ShowBox(box, answer) != 0) {
    std::fprintf(stderr, "The question could not be shown (%s); answering Yes.\n",
                 SDL_GetError());
    return true;
  }
  return answer == 1;
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
