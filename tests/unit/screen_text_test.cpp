// The instructions and credits texts: reading, pages, and the checks their sources must pass;
// and the key names the options screen shows.
#include <gtest/gtest.h>

#include "app/key_names.h"
#include "app/text_pages.h"
#include "contentc/screen_text.h"
#include "contentc/source_text.h"
#include "rig/rig.h"

namespace {
std::vector<std::string> Lines(const std::string &text, size_t max = 48) {
  TempDir dir;
  dir.write("t.txt", text);
  return ReadTextLines(dir.file("t.txt"), max);
}

std::string Complaint(const std::string &text, size_t max, bool paged) {
  try {
    CheckScreenText("dir/t.txt", text, max, paged);
  } catch (const SourceError &e) {
    return e.what();
  }
  return "(accepted)";
}
}  // namespace

TEST(TextPages, LinesAreCutAndLineEndsOfEitherKindRead) {
  EXPECT_EQ(Lines("ab\r\ncd\n\nef"), (std::vector<std::string>{"ab", "cd", "", "ef"}));
  EXPECT_EQ(Lines("ab\n"), (std::vector<std::string>{"ab"}));
  EXPECT_EQ(Lines(std::string(60, 'x') + "\ny", 48), (std::vector<std::string>{std::string(48, 'x'), "y"}));
  EXPECT_TRUE(ReadTextLines("/nonexistent/instructions.txt", 48).empty());
}

TEST(TextPages, PagesStartAtTheirBreaks) {
  // No break: one unlabelled page of everything.
  std::vector<std::string> plain = {"a", "b", "c"};
  EXPECT_TRUE(PageStarts(plain).empty());
  tpagelines all = PageLines(plain, {}, 0);
  EXPECT_EQ(all.first, 0);
  EXPECT_EQ(all.last, 2);

  // Three breaks from the first line: three pages, each ending on the next break.
  std::vector<std::string> three = {"&", "one", "&", "two", "2b", "&", "three"};
  std::vector<int> starts = PageStarts(three);
  EXPECT_EQ(starts, (std::vector<int>{0, 2, 5}));
  EXPECT_EQ(PageLines(three, starts, 1).first, 2);
  EXPECT_EQ(PageLines(three, starts, 1).last, 5);
  EXPECT_EQ(PageLines(three, starts, 2).last, 6);

  // Text before the first break is a page of its own rather than lost; blank lines there are not.
  std::vector<std::string> preface = {"hello", "&", "next"};
  EXPECT_EQ(PageStarts(preface), (std::vector<int>{-1, 1}));
  EXPECT_EQ(PageLines(preface, PageStarts(preface), 0).first, -1);
  EXPECT_EQ(PageStarts(std::vector<std::string>{"", "  ", "&", "x"}), (std::vector<int>{2}));
}

TEST(ScreenTextSource, RefusesWhatTheScreensCannotShowByFileAndLine) {
  EXPECT_EQ(CheckScreenText("t", "&\r\nhello.\n&\nworld!\n", 48, true), "&\nhello.\n&\nworld!\n");
  EXPECT_EQ(Complaint("fine\nNot fine\n", 48, false).substr(0, 12), "dir/t.txt:2:");
  EXPECT_NE(Complaint("fine\nNot fine\n", 48, false).find("'N' cannot be drawn"), std::string::npos);
  EXPECT_NE(Complaint("tab\there\n", 48, false).find("dir/t.txt:1: byte 9"), std::string::npos);
  EXPECT_NE(Complaint("a & b\n", 48, true).find(":1: '&'"), std::string::npos);  // only a whole line breaks
  EXPECT_NE(Complaint(std::string(36, 'a'), 35, false).find(":1: line is 36 characters long; 35 fit"),
            std::string::npos);
  EXPECT_EQ(Complaint(std::string(35, 'a'), 35, false), "(accepted)");
  // Fourteen rows fit under a page's label; trailing blank lines take none.
  std::string fourteen = "&\n";
  for (int i = 0; i < 14; ++i) fourteen += "row\n";
  EXPECT_EQ(Complaint(fourteen + "\n\n&\nmore\n", 48, true), "(accepted)");
  EXPECT_NE(Complaint(fourteen + "row15\n", 48, true).find(":16: below the page"), std::string::npos);
  EXPECT_NE(Complaint("&\nx\n&\n\n&\ny\n", 48, true).find(":3: this page break starts an empty page"),
            std::string::npos);
  EXPECT_NE(Complaint("&\nx\n&\n", 48, true).find(":3:"), std::string::npos);
  // Credits are not paged: a line "&" there is a character the font cannot draw.
  EXPECT_NE(Complaint("&\n", 35, false).find(":1:"), std::string::npos);
}

TEST(KeyNames, EveryBindableKeyHasADrawableName) {
  EXPECT_EQ(KeyName('A'), "a");
  EXPECT_EQ(KeyName(0), "none");  // a binding no key can press
  for (int k = 0; k < 256; ++k)
    for (char c : KeyName(static_cast<uint8_t>(k)))
      EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << k;
}
