// The high-score screen: the four tables, one per page, and the replays behind their entries.
#include <string>

#include "app/replay.h"
#include "app/score_line.h"
#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "game/camera.h"
#include "persist/folders.h"
#include "persist/replay_files.h"
#include "render/text.h"

namespace {
constexpr size_t SCORE_LINE_WIDTH = 48;

struct tscorepage {
  ScoreCategory table;
  const char *caption;
};
const tscorepage SCORE_PAGES[] = {{SCORE_SURVIVE, "top survivors"},
                                  {SCORE_HORDE, "top horders"},
                                  {SCORE_RESCUE, "top saviours"},
                                  {SCORE_SLAYER, "top slayers"}};
constexpr int SCORE_PAGE_COUNT = sizeof SCORE_PAGES / sizeof SCORE_PAGES[0];

struct {
  int32_t done;
  int page;
} scoreScreen;

// Where an entry's "watch" stands: over the dots between the longest name and the widest score.
constexpr size_t WATCH_FIRST_CHAR = 26, WATCH_CHARS = 9;
constexpr double WATCH_X = -3.4 + 0.14 * (WATCH_FIRST_CHAR + WATCH_CHARS / 2.0);

// The table's lines; an entry whose game was kept shows "watch" in its line. Returns the replay
// file of the entry whose "watch" was clicked, else "".
std::string DrawScoreTable(ScoreCategory category, const char *caption) {
  const ScoreTable &table = scoreTables[category];
  std::string clicked;
  ClipTo({-3.4, 1.7}, {3.4, -1.3});
  DrawText(caption, {0, 1.6}, true);
  for (int i = 0; i < SCORE_ENTRIES; ++i) {
    std::string line = ScoreLine(i, table.entries[i]);
    const std::string &replay = scoreReplays[category][i];
    const double y = 1.2 - 0.2 * i;
    if (!replay.empty())
      for (size_t c = WATCH_FIRST_CHAR - 1; c < WATCH_FIRST_CHAR + WATCH_CHARS + 1 && c < line.size(); ++c)
        if (line[c] == '.') line[c] = ' ';
    DrawText(line, {-3.4, y}, false);
    if (!replay.empty() && Button("watch", {WATCH_X, y}, CursorPos, 1.0)) clicked = replay;
  }
  EndClip();
  return clicked;
}

void HighScoreInit() {
  CameraPos = {0, 0};
  ForgetMissingReplays();
  scoreScreen.page = 0;
}

bool HighScoreFrame() {
  // Nothing moves here but the pointer, and the page turns only on a click.
  if (MenuPictureUnchanged(reinterpret_cast<const void *>(HighScoreFrame))) return true;
  MenuFramePrelude();
  TitlePanel(3.25, "high scores");
  Panel({-3.5, 1.8}, {3.5, -1.8});
  const tscorepage &page = SCORE_PAGES[scoreScreen.page];
  const std::string watch = DrawScoreTable(page.table, page.caption);
  if (Button("back", {0, -1.5}, CursorPos, 2.0)) scoreScreen.done = -1;
  if (Button("-page", {-2.5, -1.5}, CursorPos, 2.0))
    scoreScreen.page = (scoreScreen.page + SCORE_PAGE_COUNT - 1) % SCORE_PAGE_COUNT;
  if (Button("+page", {2.5, -1.5}, CursorPos, 2.0)) scoreScreen.page = (scoreScreen.page + 1) % SCORE_PAGE_COUNT;
  DrawCursor(CursorPos);
  if (!watch.empty()) WatchReplayFile(RecordsPath(watch));
  return true;
}
}  // namespace

std::string ScoreLine(int index, const ScoreEntry &entry) {
  std::string name;
  // A file from elsewhere may hold bytes the font has no glyph for; they would draw as stray cells.
  for (char c : ScoreName(entry))
    if (FontCanDraw(static_cast<unsigned char>(c))) name += c;
  std::string line = (index < 9 ? " " : "") + std::to_string(index + 1) + ". " + name + " ";
  std::string score = std::to_string(entry.score);
  if (line.size() + score.size() < SCORE_LINE_WIDTH) line.append(SCORE_LINE_WIDTH - score.size() - line.size(), '.');
  return line + score;
}

void HighScoreScreen() { ScreenLoop(scoreScreen.done, HighScoreInit, HighScoreFrame); }
