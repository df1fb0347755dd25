// Reading our line-based content sources: '#' starts a comment, blank lines are skipped, a line
// is a keyword followed by words. Every complaint names the file and line so an author can jump
// straight to it.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

// Thrown by the readers below; what() is "file:line: message".
struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct SourceLine {
  std::string file;
  int number = 0;
  std::vector<std::string> words;
  std::string rest;  // the text after the first word, trimmed (for names with blanks)

  [[noreturn]] void fail(const std::string &message) const;
  // Word i as a finite number; complains about what it was called.
  double number_at(size_t i, const char *what) const;
  int integer_at(size_t i, const char *what) const;
  // Exactly n words after the keyword, or a message saying what was expected.
  void expect_count(size_t n, const char *usage) const;
};

// Splits text into non-empty, comment-free lines.
std::vector<SourceLine> SplitSource(const std::string &file, const std::string &text);
// Reads a whole file; throws SourceError("file: cannot read ...") when it cannot.
std::string ReadSourceFile(const std::string &path);
// "file:line: message"
std::string SourceWhere(const std::string &file, int line, const std::string &message);
// Parses "x,y" or "x1,y1,x2,y2" style lists of numbers.
std::vector<double> NumberList(const SourceLine &line, const std::string &text, size_t count, const char *what);
