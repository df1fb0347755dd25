// The two text files the front-end screens show: "instructions.txt" (pages separated by "&"
// lines) and "credits.txt". The game draws them with its bitmap font, so every line is checked
// against what the font can draw and what fits on the screen.
#pragma once
#include <cstddef>
#include <string>

// How many characters fit on a line of each screen, and the rows of one instructions page.
constexpr size_t INSTRUCTIONS_LINE_LENGTH = 48;
constexpr size_t CREDITS_LINE_LENGTH = 35;
constexpr int INSTRUCTIONS_PAGE_ROWS = 14;

// Returns the text with "\n" line ends, or throws SourceError "file:line: ..." for a line with a
// character the font lacks, a line too long, and (when paged) a page too long or empty.
std::string CheckScreenText(const std::string &file, const std::string &text, size_t maxLength, bool paged);
