#pragma once

#include <QImage>

#include <vector>

namespace quill::test {

// The top rows of the text lines of a page image: each run of rows that holds ink is one line.
std::vector<int> lineTops(const QImage &page);

// How many of the lines `reference` has a line of `ours` at most `tolerance` rows away.
int matchedLines(const std::vector<int> &reference, const std::vector<int> &ours, int tolerance);

} // namespace quill::test
