#include "platform/message.h"

#include <SDL.h>

#include <cstdio>

MessageHandler messageHandler = nullptr;
YesNoHandler yesNoHandler = nullptr;

namespace {
// True when a box (or the tests' recorder) took the message.
bool ShowBox(const std::string &text, const std::string &caption, MessageIcon icon) {
  if (messageHandler) {
    messageHandler(text, caption, icon);
    return true;
  }
  Uint32 flags = icon == MB_ICONSTOP          ? SDL_MESSAGEBOX_ERROR
                 : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                              : SDL_MESSAGEBOX_INFORMATION;
  return SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) == 0;
}
}  // namespace

void ShowMessage(const std::string &text, const std::string &caption, MessageIcon icon) {
  if (!ShowBox(text, caption, icon)) std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void ShowFailure(const std::string &text, const std::string &caption, MessageIcon icon, const std::string &reason) {
  ShowBox(text, caption, icon);
  // One line, whatever the system's reason holds.
  std::string line = caption + ": " + text + (reason.empty() ? "" : " (" + reason + ")");
  for (char &c : line)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(stderr, "%s\n", line.c_str());
}

bool AskYesNo(const std::string &text, const std::string &caption, bool safeAnswer) {
  if (yesNoHandler) return yesNoHandler(text, caption, safeAnswer);
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxData data = {SDL_MESSAGEBOX_WARNING, nullptr, caption.c_str(), text.c_str(), 2, buttons, nullptr};
  int hit = -1;
  if (SDL_ShowMessageBox(&data, &hit) != 0) {
    std::fprintf(stderr, "%s: %s %s (no message box could be shown: %s)\n", caption.c_str(), text.c_str(),
                 safeAnswer ? "Yes" : "No", SDL_GetError());
    return safeAnswer;
  }
  return hit == 1;
}
