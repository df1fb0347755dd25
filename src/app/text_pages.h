// The text files behind the instructions and credits screens, and how instructions split into
// pages. No drawing here, so the rules can be checked without a window.
#pragma once
#include <string>
#include <vector>

// Every line of the file, each cut to maxLength characters (line ends "\n" or "\r\n"). A missing
// or unreadable file gives no lines.
std::vector<std::string> ReadTextLines(const std::string &path, size_t maxLength);

constexpr const char *PAGE_BREAK = "&";

// Where each page starts: the index of its "&" line. Text before the first "&" is a page of its
// own, starting at -1, so nothing an author wrote is lost. Empty when there is no "&" at all: the
// whole file is then one unlabelled page.
std::vector<int> PageStarts(const std::vector<std::string> &lines);

// The lines of one page, first to last inclusive; "&" lines among them are not drawn. Line i is
// drawn (i - first) rows below the page label.
struct tpagelines {
  int first, last;
};
tpagelines PageLines(const std::vector<std::string> &lines, const std::vector<int> &starts, int page);
