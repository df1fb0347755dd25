#include "contentc/source_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::string SourceWhere(const std::string &file, int line, const std::string &message) {
  return file + ":" + std::to_string(line) + ": " + message;
}

void SourceLine::fail(const std::string &message) const { throw SourceError(SourceWhere(file, number, message)); }

static bool ParseNumber(const std::string &text, double &out) {
  if (text.empty()) return false;
  const char *begin = text.c_str();
  char *end = nullptr;
  errno = 0;
  double v = std::strtod(begin, &end);
  if (end != begin + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

double SourceLine::number_at(size_t i, const char *what) const {
  if (i >= words.size()) fail(std::string("missing ") + what);
  double v;
  if (!ParseNumber(words[i], v)) fail(std::string(what) + " is not a number: '" + words[i] + "'");
  return v;
}

int SourceLine::integer_at(size_t i, const char *what) const {
  double v = number_at(i, what);
  if (v != std::floor(v) || std::fabs(v) > 1e9) fail(std::string(what) + " must be a whole number: '" + words[i] + "'");
  return static_cast<int>(v);
}

void SourceLine::expect_count(size_t n, const char *usage) const {
  if (words.size() != n + 1) fail(std::string("expected: ") + usage);
}

std::vector<double> NumberList(const SourceLine &line, const std::string &text, size_t count, const char *what) {
  std::vector<double> out;
  std::string item;
  std::istringstream in(text);
  while (std::getline(in, item, ',')) {
    double v;
    if (!ParseNumber(item, v))
      line.fail(std::string(what) + " needs " + std::to_string(count) + " numbers separated by commas, got '" + text +
                "'");
    out.push_back(v);
  }
  if (out.size() != count)
    line.fail(std::string(what) + " needs " + std::to_string(count) + " numbers separated by commas, got '" + text +
              "'");
  return out;
}

std::vector<SourceLine> SplitSource(const std::string &file, const std::string &text) {
  std::vector<SourceLine> lines;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    size_t hash = raw.find('#');
    if (hash != std::string::npos) raw.erase(hash);
    SourceLine line;
    line.file = file;
    line.number = number;
    std::istringstream words(raw);
    std::string w;
    while (words >> w) line.words.push_back(w);
    if (line.words.empty()) continue;
    size_t start = raw.find(line.words[0]) + line.words[0].size();
    size_t first = raw.find_first_not_of(" \t\r", start);
    size_t last = raw.find_last_not_of(" \t\r");
    if (first != std::string::npos && last != std::string::npos && last >= first)
      line.rest = raw.substr(first, last - first + 1);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string ReadSourceFile(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw SourceError(path + ": cannot read the file");
  std::ostringstream s;
  s << f.rdbuf();
  if (f.bad()) throw SourceError(path + ": cannot read the file");
  return s.str();
}
