// Modal message boxes. Every box in the game goes through here, so tests can swap in a
// recorder (a real box would block forever under Xvfb).
#pragma once
#include <string>

enum MessageIcon { MB_ICONSTOP, MB_ICONEXCLAMATION, MB_ICONINFORMATION };

void ShowMessage(const std::string &text, const std::string &caption, MessageIcon icon);
// A Yes/No question; true for Yes.
bool AskYesNo(const std::string &text, const std::string &caption);

using MessageHandler = void (*)(const std::string &text, const std::string &caption, MessageIcon icon);
using YesNoHandler = bool (*)(const std::string &text, const std::string &caption);
// Null means the real SDL boxes.
extern MessageHandler messageHandler;
extern YesNoHandler yesNoHandler;
