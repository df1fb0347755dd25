// Text the player reads: the screens' text pages and key names, and message boxes where none can be
// shown (nothing is lost and nothing is decided against the player).
#include <gtest/gtest.h>

#include <cctype>
#include <tuple>

#include "app/key_names.h"
#include "app/score_line.h"
#include "app/text_pages.h"
#include "contentc/screen_text.h"
#include "contentc/source_text.h"
#include "platform/message.h"
#include "render/text.h"
#include "rig/rig.h"

namespace {
using Lines = std::vector<std::string>;

Lines Read(const std::string &text) {
  TempDir dir;
  dir.write("t.txt", text);
  return ReadTextLines(dir.file("t.txt"), 48);
}

std::string Complaint(const std::string &text, size_t max = 48, bool paged = true) {
  try {
    CheckScreenText("dir/t.txt", text, max, paged);
  } catch (const SourceError &e) {
    return e.what();
  }
  return "(accepted)";
}
}  // namespace

TEST(TextPages, LinesAreCutAndLineEndsOfEitherKindRead) {
  EXPECT_EQ(Read("ab\r\ncd\n\nef"), (Lines{"ab", "cd", "", "ef"}));
  EXPECT_EQ(Read("ab\n"), (Lines{"ab"}));
  EXPECT_EQ(Read(std::string(60, 'x') + "\ny"), (Lines{std::string(48, 'x'), "y"}));
  EXPECT_TRUE(ReadTextLines("/nonexistent/instructions.txt", 48).empty());
}

TEST(TextPages, PagesStartAtTheirBreaks) {
  // No break: one unlabelled page of everything.
  EXPECT_TRUE(PageStarts({"a", "b", "c"}).empty());
  EXPECT_TRUE(PageLines({"a", "b", "c"}, {}, 0).first == 0 && PageLines({"a", "b", "c"}, {}, 0).last == 2);
  // Three breaks from the first line: three pages, each ending on the next break.
  Lines three = {"&", "one", "&", "two", "2b", "&", "three"};
  const std::vector<int> starts = PageStarts(three);
  EXPECT_EQ(starts, (std::vector<int>{0, 2, 5}));
  EXPECT_TRUE(PageLines(three, starts, 1).first == 2 && PageLines(three, starts, 1).last == 5);
  EXPECT_EQ(PageLines(three, starts, 2).last, 6);
  // Text before the first break is a page of its own rather than lost; blank lines there are not.
  EXPECT_EQ(PageStarts({"hello", "&", "next"}), (std::vector<int>{-1, 1}));
  EXPECT_EQ(PageLines({"hello", "&", "next"}, {-1, 1}, 0).first, -1);
  EXPECT_EQ(PageStarts({"", "  ", "&", "x"}), (std::vector<int>{2}));
}

TEST(ScreenTextSource, RefusesWhatTheScreensCannotShowByFileAndLine) {
  EXPECT_EQ(CheckScreenText("t", "&\r\nhello.\n&\nworld!\n", 48, true), "&\nhello.\n&\nworld!\n");
  std::string fourteen = "&\n";  // fourteen rows fit under a page's label; trailing blank lines take none
  for (int i = 0; i < 14; ++i) fourteen += "row\n";
  const std::tuple<std::string, size_t, bool, const char *> cases[] = {
      // text, width, paged, complaint
      {"fine\nNot fine\n", 48, false, "dir/t.txt:2: 'N' cannot be drawn"},
      {"tab\there\n", 48, false, "dir/t.txt:1: byte 9"},
      {"a & b\n", 48, true, "dir/t.txt:1: '&'"},  // only a whole line breaks
      {std::string(36, 'a'), 35, false, "dir/t.txt:1: line is 36 characters long; 35 fit"},
      {std::string(35, 'a'), 35, false, "(accepted)"},
      {fourteen + "\n\n&\nmore\n", 48, true, "(accepted)"},
      {fourteen + "row15\n", 48, true, "dir/t.txt:16: below the page"},
      {"&\nx\n&\n\n&\ny\n", 48, true, "dir/t.txt:3: this page break starts an empty page"},
      {"&\n", 35, false, "dir/t.txt:1:"},  // credits are not paged: "&" is a character the font lacks
  };
  for (const auto &[text, max, paged, said] : cases) EXPECT_EQ(Complaint(text, max, paged).find(said), 0u) << text;
}

TEST(KeyNames, EveryBindableKeyHasADrawableName) {
  EXPECT_EQ(KeyName('A'), "a");
  EXPECT_EQ(KeyName(0), "none");  // a binding no key can press
  for (int k = 0; k < 256; ++k)
    for (char c : KeyName(static_cast<uint8_t>(k))) EXPECT_TRUE(std::isalnum(c) && !std::isupper(c)) << k;
}

// A high-score line runs its score out to the 48th character: this computer's tables by place,
// the world's by rank, with names from elsewhere shown only as the font can draw them.
TEST(ScoreLines, RunTheScoreOutToTheLineEnd) {
  const std::tuple<int64_t, std::string, int64_t, std::string> cases[] = {
      {1, "", 0, " 1.  " + std::string(42, '.') + "0"},
      {9, "ace", 123456, " 9. ace " + std::string(34, '.') + "123456"},
      {10, "ace", 5, "10. ace " + std::string(39, '.') + "5"},
      {1234, "<b>me</b>", -301, "1234. bmeb " + std::string(33, '.') + "-301"},
      {1, std::string(44, 'x'), 7, " 1. " + std::string(44, 'x') + " 7"},
  };
  for (const auto &[place, name, score, line] : cases) {
    EXPECT_EQ(ScoreLine(place, name, score), line);
    EXPECT_TRUE(line.size() == 48 || name.size() > 40) << line;
  }
  EXPECT_EQ(FontText("the server's answer\tcould not\xff be read"), "the servers answer could not  be read");
}

TEST(MessageBoxes, WithoutADisplayTheyGoToStandardErrorAndQuestionsTakeTheSafeAnswer) {
  ASSERT_TRUE(messageHandler == nullptr && yesNoHandler == nullptr);
  ScopedEnv x("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
  testing::internal::CaptureStderr();
  ShowMessage("Error opening textures/x.bmp", "BMP Unit", MB_ICONEXCLAMATION);
  EXPECT_TRUE(AskYesNo("Use Windowed Mode Instead?", "GL Window", true));
  EXPECT_FALSE(AskYesNo("Replace the saved scores?", "Scores", false));
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char *said : {"BMP Unit: Error opening textures/x.bmp\n", "GL Window: Use Windowed Mode Instead? Yes",
                           "Scores: Replace the saved scores? No"})
    EXPECT_NE(err.find(said), std::string::npos) << err;
}
