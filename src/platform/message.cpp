#include "platform/message.h"

#include <SDL.h>

MessageHandler messageHandler = nullptr;
YesNoHandler yesNoHandler = nullptr;

void ShowMessage(const std::string &text, const std::string &caption, MessageIcon icon) {
  if (messageHandler) {
    messageHandler(text, caption, icon);
    return;
  }
  Uint32 flags = icon == MB_ICONSTOP          ? SDL_MESSAGEBOX_ERROR
                 : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                              : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) != 0)
    SDL_Log("%s: %s", caption.c_str(), text.c_str());  // no display: still tell someone
}

bool AskYesNo(const std::string &text, const std::string &caption) {
  if (yesNoHandler) return yesNoHandler(text, caption);
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxData data = {SDL_MESSAGEBOX_WARNING, nullptr, caption.c_str(), text.c_str(), 2, buttons, nullptr};
  int hit = 0;
  if (SDL_ShowMessageBox(&data, &hit) != 0) return false;
  return hit == 1;
}
