// The instructions and credits screens: text files from the data folder, paged or scrolling.
#include <GL/gl.h>

#include <string>
#include <vector>

#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "app/text_pages.h"
#include "base/files.h"
#include "game/camera.h"
#include "platform/window.h"
#include "render/text.h"

namespace {
constexpr size_t INSTRUCTIONS_LINE = 48;
constexpr size_t CREDITS_LINE = 35;

// One visit's state; each visit rereads its file.
struct {
  int32_t done;
  std::vector<std::string> lines;
  std::vector<int> pageStarts;
  int page;
} instructions;

struct {
  int32_t done;
  std::vector<std::string> lines;
  double scroll;  // how far the text block has risen
} credits;

void InstructionsInit() {
  CameraPos = {0, 0};
  instructions.lines = ReadTextLines(DataPath("instructions.txt"), INSTRUCTIONS_LINE);
  instructions.pageStarts = PageStarts(instructions.lines);
  instructions.page = 0;
}

void DrawInstructionsPage() {
  ClipTo({-3.4, 1.7}, {3.4, -1.3});
  tpagelines range = PageLines(instructions.lines, instructions.pageStarts, instructions.page);
  if (instructions.pageStarts.size() > 1) DrawText("page " + std::to_string(instructions.page + 1), {-3.4, 1.6}, false);
  for (int i = range.first; i <= range.last; ++i)
    if (i >= 0 && instructions.lines[i] != PAGE_BREAK)
      DrawText(instructions.lines[i], {-3.4, 1.6 - 0.2 * (i - range.first)}, false);
  EndClip();
}

bool InstructionsFrame() {
  // The picture changes only with the pointer and the page, and a page turns only on a click.
  if (MenuPictureUnchanged(reinterpret_cast<const void *>(InstructionsFrame))) return true;
  MenuFramePrelude();
  TitlePanel(3.5, "instructions");
  Panel({-3.5, 1.8}, {3.5, -1.8});
  if (!instructions.lines.empty()) DrawInstructionsPage();
  if (Button("back", {0, -1.5}, CursorPos, 2.0)) instructions.done = -1;
  if (instructions.page > 0 && Button("-page", {-2.5, -1.5}, CursorPos, 2.0)) --instructions.page;
  int lastPage = static_cast<int>(instructions.pageStarts.size()) - 1;
  if (lastPage > instructions.page && Button("+page", {2.5, -1.5}, CursorPos, 2.0)) ++instructions.page;
  DrawCursor(CursorPos);
  return true;
}

void CreditsInit() {
  CameraPos = {0, 0};
  credits.lines = ReadTextLines(DataPath("credits.txt"), CREDITS_LINE);
  credits.scroll = -0.6;
}

bool CreditsFrame() {
  MenuFramePrelude();
  TitlePanel(2.5, "credits");
  Panel({-2.5, 1.4}, {2.5, -1.1});
  if (!credits.lines.empty()) {
    ClipTo({-2.4, 1.3}, {2.4, -0.5});
    glTranslated(0, credits.scroll, 0);
    for (size_t i = 0; i < credits.lines.size(); ++i) DrawText(credits.lines[i], {0, -0.2 * i}, true);
    glTranslated(0, -credits.scroll, 0);
    EndClip();
  }
  // Once the last line has left the top, the text starts again from below.
  credits.scroll += 0.45 * frameTime;
  if (credits.scroll > (credits.lines.size() + 7) * 0.2) credits.scroll = -0.6;
  if (Button("back", {0, -0.7}, CursorPos, 2.0)) credits.done = -1;
  DrawCursor(CursorPos);
  return true;
}
}  // namespace

void InstructionsScreen() {
  ScreenLoop(instructions.done, InstructionsInit, InstructionsFrame);
  instructions.lines.clear();
  instructions.pageStarts.clear();
}

void CreditsScreen() {
  ScreenLoop(credits.done, CreditsInit, CreditsFrame);
  credits.lines.clear();
}
