#include "contentc/screen_text.h"

#include <vector>

#include "contentc/contentc.h"
#include "contentc/source_text.h"

namespace {
// Upper case would draw, but as lower case: the author should see what the player sees.
bool Drawable(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == '!' || c == '?' || c == '+' ||
         c == '-';
}

std::string Shown(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x21 && u < 0x7f) return std::string("'") + c + "'";
  return "byte " + std::to_string(u);
}

std::vector<std::string> SplitLines(const std::string &text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool Blank(const std::string &line) { return line.find_first_not_of(' ') == std::string::npos; }

struct Page {
  int breakLine = 0;  // the "&" line, 1-based; 0 for text before the first one
  int rows = 0;       // up to its last line with text
  int firstTooLow = 0;
};
}  // namespace

std::string CheckScreenText(const std::string &file, const std::string &text, size_t maxLength, bool paged) {
  std::vector<std::string> lines = SplitLines(text);
  std::string out;
  std::vector<Page> pages(1);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &line = lines[i];
    int number = static_cast<int>(i) + 1;
    out += line + "\n";
    if (paged && line == "&") {
      pages.push_back(Page{number, 0, 0});
      continue;
    }
    for (char c : line)
      if (!Drawable(c))
        throw SourceError(SourceWhere(file, number,
                                      Shown(c) + " cannot be drawn by the font (use lower-case letters, "
                                                 "digits, blank and . ! ? + -)"));
    if (line.size() > maxLength)
      throw SourceError(SourceWhere(
          file, number,
          "line is " + std::to_string(line.size()) + " characters long; " + std::to_string(maxLength) + " fit"));
    Page &page = pages.back();
    int row = number - page.breakLine;
    if (!Blank(line)) {
      page.rows = row;
      if (row > INSTRUCTIONS_PAGE_ROWS && !page.firstTooLow) page.firstTooLow = number;
    }
  }
  if (!paged) return out;
  for (size_t p = 0; p < pages.size(); ++p) {
    const Page &page = pages[p];
    if (page.firstTooLow)
      throw SourceError(SourceWhere(
          file, page.firstTooLow, "below the page: a page shows " + std::to_string(INSTRUCTIONS_PAGE_ROWS) + " lines"));
    // Text before the first "&" is a page of its own; blank lines there are nothing.
    if (page.rows == 0 && page.breakLine != 0)
      throw SourceError(SourceWhere(file, page.breakLine, "this page break starts an empty page"));
  }
  return out;
}

static bool WriteScreenTexts(const ContentPaths &paths) {
  struct {
    const char *name;
    size_t length;
    bool paged;
  } files[] = {{"instructions.txt", INSTRUCTIONS_LINE_LENGTH, true}, {"credits.txt", CREDITS_LINE_LENGTH, false}};
  bool ok = true;
  for (const auto &f : files) {
    std::string source = paths.sourceDir + "/" + f.name;
    std::string checked = CheckScreenText(source, ReadSourceFile(source), f.length, f.paged);
    ok = WriteDataFile(paths.dataDir + "/" + f.name, std::vector<uint8_t>(checked.begin(), checked.end())) && ok;
  }
  return ok;
}

static ContentStep step("screen text", WriteScreenTexts);
