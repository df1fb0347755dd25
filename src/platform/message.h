// Modal message boxes. Every box in the game goes through here, so tests can swap in a
// recorder (a real box would block forever under Xvfb).
#pragma once
#include <string>

enum MessageIcon { MB_ICONSTOP, MB_ICONEXCLAMATION, MB_ICONINFORMATION };

// When no box can be shown (no dialog support on the desktop, an X server without fonts), the
// caption and text go to standard error instead.
void ShowMessage(const std::string &text, const std::string &caption, MessageIcon icon);
// A failure the program cannot go on from: the box shows `text` as above, and one line on
// standard error always gives it with `reason` (what the system said), box or not.
void ShowFailure(const std::string &text, const std::string &caption, MessageIcon icon, const std::string &reason);
// A Yes/No question; true for Yes. The caller names the answer that keeps the program running:
// a question that cannot be shown takes it, since nobody was there to decide otherwise.
bool AskYesNo(const std::string &text, const std::string &caption, bool safeAnswer);

using MessageHandler = void (*)(const std::string &text, const std::string &caption, MessageIcon icon);
using YesNoHandler = bool (*)(const std::string &text, const std::string &caption, bool safeAnswer);
// Null means the real SDL boxes.
extern MessageHandler messageHandler;
extern YesNoHandler yesNoHandler;
