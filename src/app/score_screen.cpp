// The high-score screen: the four tables, one per page, and the replays behind their entries;
// while the player takes part, the world boards' pages after them, fetched in the background.
#include <algorithm>
#include <string>

#include "app/replay.h"
#include "app/score_line.h"
#include "app/screen_parts.h"
#include "app/screenloop.h"
#include "app/screens.h"
#include "app/world_scores.h"
#include "game/camera.h"
#include "persist/folders.h"
#include "persist/replay_files.h"
#include "platform/window.h"
#include "render/text.h"

namespace {
constexpr size_t SCORE_LINE_WIDTH = 48;

struct tscorepage {
  ScoreCategory table;
  const char *caption;
  tworldboard world;  // the world board, WORLD_BOARDS for this computer's table
};
const tscorepage SCORE_PAGES[] = {{SCORE_SURVIVE, "top survivors", WORLD_BOARDS},
                                  {SCORE_HORDE, "top horders", WORLD_BOARDS},
                                  {SCORE_RESCUE, "top saviours", WORLD_BOARDS},
                                  {SCORE_SLAYER, "top slayers", WORLD_BOARDS},
                                  {SCORE_SURVIVE, "world survivors", BOARD_SURVIVORS},
                                  {SCORE_HORDE, "world horders", BOARD_HORDE},
                                  {SCORE_RESCUE, "world saviours", BOARD_RESCUE},
                                  {SCORE_SLAYER, "world slayers", BOARD_SLAYER},
                                  {SCORE_SURVIVE, "today", BOARD_DAILY}};
constexpr int LOCAL_PAGES = 4, ALL_PAGES = sizeof SCORE_PAGES / sizeof SCORE_PAGES[0];

struct {
  int32_t done;
  int page;
  int64_t offset;    // the world page's first rank less one
  tticket board;     // the world page being fetched or shown
  tticket download;  // a world replay being fetched
  std::string line;  // why the last world replay could not be watched
  bool waited;       // the last frame drawn was waiting on the server
} scoreScreen;

int PageCount() { return WorldScoresOn() ? ALL_PAGES : LOCAL_PAGES; }

void FetchWorldPage() {
  ForgetWorld(scoreScreen.board);
  const tworldboard board = SCORE_PAGES[scoreScreen.page].world;
  if (board != WORLD_BOARDS) scoreScreen.board = AskWorldBoard(board, scoreScreen.offset, SCORE_ENTRIES);
}

void TurnPage(int by) {
  scoreScreen.page = (scoreScreen.page + PageCount() + by) % PageCount();
  scoreScreen.offset = 0;
  scoreScreen.line.clear();
  FetchWorldPage();
}

// Where an entry's "watch" stands: over the dots between the longest name and the widest score.
constexpr size_t WATCH_FIRST_CHAR = 26, WATCH_CHARS = 9;
constexpr double WATCH_X = -3.4 + 0.14 * (WATCH_FIRST_CHAR + WATCH_CHARS / 2.0);

// The table's row `i`; with `watch`, "watch" stands in a gap in its dots. True when it was clicked.
bool ScoreRow(std::string line, int i, bool watch) {
  const double y = 1.2 - 0.2 * i;
  if (watch)
    for (size_t c = WATCH_FIRST_CHAR - 1; c < WATCH_FIRST_CHAR + WATCH_CHARS + 1 && c < line.size(); ++c)
      if (line[c] == '.') line[c] = ' ';
  DrawText(line, {-3.4, y}, false);
  return watch && Button("watch", {WATCH_X, y}, CursorPos, 1.0);
}

// The table's lines; an entry whose game was kept shows "watch" in its line. Returns the replay
// file of the entry whose "watch" was clicked, else "".
std::string DrawScoreTable(ScoreCategory category, const char *caption) {
  const ScoreTable &table = scoreTables[category];
  std::string clicked;
  ClipTo({-3.4, 1.7}, {3.4, -1.3});
  DrawText(caption, {0, 1.6}, true);
  for (int i = 0; i < SCORE_ENTRIES; ++i) {
    const std::string &replay = scoreReplays[category][i];
    if (ScoreRow(ScoreLine(i, table.entries[i]), i, !replay.empty())) clicked = replay;
  }
  EndClip();
  return clicked;
}

// A world board's page: its ranks with "watch" on each, or the line saying it is loading or why
// it could not be had. Returns the game whose "watch" was clicked, else "".
std::string DrawWorldPage(const tscorepage &page, const tonlineanswer &answer) {
  std::string clicked;
  ClipTo({-3.4, 1.7}, {3.4, -1.3});
  // Where the caption stands, while a replay is fetched or when it could not be watched.
  const std::string &why = scoreScreen.line;
  DrawText(scoreScreen.download ? "fetching the replay"
           : why.empty()        ? std::string(page.caption)
                                : why,
           {0, 1.6}, true);
  if (answer.kind != ANSWER_BOARD) {
    DrawText(answer.done ? answer.line : "loading the world board", {0, 0.4}, true);
  } else if (answer.board.entries.empty()) {
    DrawText(page.world == BOARD_DAILY ? "nobody has played the game of the day yet" : "no games on this board yet",
             {0, 0.4}, true);
  }
  const std::vector<tboardentry> &entries =
      answer.kind == ANSWER_BOARD ? answer.board.entries : std::vector<tboardentry>{};
  for (size_t i = 0; i < entries.size() && i < SCORE_ENTRIES; ++i)
    if (ScoreRow(ScoreLine(entries[i].rank, entries[i].name, entries[i].score), static_cast<int>(i), true))
      clicked = entries[i].game;
  EndClip();
  if (scoreScreen.offset > 0 && Button("up", {-3.0, 1.6}, CursorPos, 1.0))
    scoreScreen.offset = std::max<int64_t>(0, scoreScreen.offset - SCORE_ENTRIES), FetchWorldPage();
  if (answer.kind == ANSWER_BOARD && scoreScreen.offset + SCORE_ENTRIES < answer.board.total &&
      Button("down", {3.0, 1.6}, CursorPos, 1.0))
    scoreScreen.offset += SCORE_ENTRIES, FetchWorldPage();
  return clicked;
}

// A world replay fetched into the cache folder is watched like one of the player's own; one that
// cannot be had or played says why in a line.
void WatchWorldReplay() {
  const tonlineanswer answer = WorldAnswer(scoreScreen.download);
  if (!answer.done) return;
  ForgetWorld(scoreScreen.download);
  treplay replay;
  std::string why;
  if (answer.kind != ANSWER_FILE)
    scoreScreen.line = answer.line;
  else if (!ReadReplayFile(answer.file, replay, why))
    scoreScreen.line = FontText(OneLine(why, 48));
  else
    WatchReplay(replay);
}

void HighScoreInit() {
  CameraPos = {0, 0};
  ForgetMissingReplays();
  scoreScreen.page = 0;
  scoreScreen.offset = 0;
  scoreScreen.line.clear();
  scoreScreen.waited = false;
}

bool HighScoreFrame() {
  const tscorepage &page = SCORE_PAGES[scoreScreen.page];
  const bool world = page.world != WORLD_BOARDS;
  // Nothing moves here but the pointer and what the server sends, and the page turns only on a click.
  const tonlineanswer answer = world ? WorldAnswer(scoreScreen.board) : tonlineanswer{};
  const bool waiting = world && (!answer.done || scoreScreen.download);
  if (waiting || scoreScreen.waited) redrawRequested = 1;
  scoreScreen.waited = waiting;
  if (MenuPictureUnchanged(reinterpret_cast<const void *>(HighScoreFrame))) return true;
  MenuFramePrelude();
  TitlePanel(3.25, "high scores");
  Panel({-3.5, 1.8}, {3.5, -1.8});
  const std::string watch = world ? "" : DrawScoreTable(page.table, page.caption);
  const std::string watchWorld = world ? DrawWorldPage(page, answer) : "";
  if (Button("back", {0, -1.5}, CursorPos, 2.0)) scoreScreen.done = -1;
  if (Button("-page", {-2.5, -1.5}, CursorPos, 2.0)) TurnPage(-1);
  if (Button("+page", {2.5, -1.5}, CursorPos, 2.0)) TurnPage(1);
  DrawCursor(CursorPos);
  if (!watch.empty()) WatchReplayFile(RecordsPath(watch));
  if (!watchWorld.empty() && !scoreScreen.download)
    scoreScreen.line.clear(), scoreScreen.download = AskWorldReplay(watchWorld);
  if (scoreScreen.download) WatchWorldReplay();
  return true;
}
}  // namespace

std::string ScoreLine(int index, const ScoreEntry &entry) {
  return ScoreLine(index + 1, ScoreName(entry), entry.score);
}

std::string ScoreLine(int64_t place, const std::string &text, int64_t points) {
  std::string name;
  // A file from elsewhere may hold bytes the font has no glyph for; they would draw as stray cells.
  for (char c : text)
    if (FontCanDraw(static_cast<unsigned char>(c))) name += c;
  std::string line = (place < 10 ? " " : "") + std::to_string(place) + ". " + name + " ";
  std::string score = std::to_string(points);
  if (line.size() + score.size() < SCORE_LINE_WIDTH) line.append(SCORE_LINE_WIDTH - score.size() - line.size(), '.');
  return line + score;
}

void HighScoreScreen() {
  ScreenLoop(scoreScreen.done, HighScoreInit, HighScoreFrame, true, "high scores");
  ForgetWorld(scoreScreen.board);
  ForgetWorld(scoreScreen.download);
}
