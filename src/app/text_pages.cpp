#include "app/text_pages.h"

#include <cstdint>

#include "base/files.h"

std::vector<std::string> ReadTextLines(const std::string &path, size_t maxLength) {
  std::vector<std::string> lines;
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\n') ++end;
    size_t stop = end;
    if (stop > start && bytes[stop - 1] == '\r') --stop;  // written on another system
    size_t n = stop - start < maxLength ? stop - start : maxLength;
    lines.emplace_back(reinterpret_cast<const char *>(bytes.data()) + start, n);
    start = end + 1;
  }
  return lines;
}

std::vector<int> PageStarts(const std::vector<std::string> &lines) {
  std::vector<int> starts;
  bool textBefore = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == PAGE_BREAK) {
      if (starts.empty() && textBefore) starts.push_back(-1);
      starts.push_back(static_cast<int>(i));
    } else if (starts.empty() && lines[i].find_first_not_of(' ') != std::string::npos) {
      textBefore = true;
    }
  }
  return starts;
}

tpagelines PageLines(const std::vector<std::string> &lines, const std::vector<int> &starts, int page) {
  tpagelines r = {0, static_cast<int>(lines.size()) - 1};
  if (starts.empty() || page < 0 || page >= static_cast<int>(starts.size())) return r;
  r.first = starts[page];
  if (page + 1 < static_cast<int>(starts.size())) r.last = starts[page + 1];
  return r;
}
