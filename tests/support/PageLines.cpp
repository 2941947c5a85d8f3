#include "PageLines.h"

#include <cstdlib>

namespace quill::test {

namespace {

// A pixel at most this grey is ink.
constexpr int kInkLevel = 160;

} // namespace

std::vector<int> lineTops(const QImage &page)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<int> tops;
    bool inLine = false;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        bool ink = false;
        for (int x = 0; x < grey.width() && !ink; ++x)
            ink = row[x] <= kInkLevel;
        if (ink && !inLine)
            tops.push_back(y);
        inLine = ink;
    }
    return tops;
}

int matchedLines(const std::vector<int> &reference, const std::vector<int> &ours, int tolerance)
{
    int matched = 0;
    for (const int top : reference) {
        for (const int candidate : ours) {
            if (std::abs(candidate - top) <= tolerance) {
                ++matched;
                break;
            }
        }
    }
    return matched;
}

} // namespace quill::test
