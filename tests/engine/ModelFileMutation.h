// Seeded mutations of model files, shared by the reader's fuzz test and the runner's: bytes,
// tokens replaced by extreme values or by other tokens, ranges deleted or repeated, the end cut
// off, numbers inserted, and lines put out of order (two neighbours swapped, a run of lines
// reversed), which puts the rows of a series out of order.
#pragma once

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ModelFilesTestSupport.h"

namespace modelfiles_test {

// Positions of the number tokens of a text (by the reader's lexical rule).
inline std::vector<std::pair<size_t, size_t>> TokenSpans(const std::string& text)
{
    std::vector<std::pair<size_t, size_t>> spans;
    size_t i = 0;
    while (i < text.size()) {
        if (IsTokenStart(text[i])) {
            size_t j = i + 1;
            while (j < text.size() && IsTokenChar(text[j])) ++j;
            spans.emplace_back(i, j - i);
            i = j + 1;
        } else {
            ++i;
        }
    }
    return spans;
}

inline std::string Mutate(std::string text, std::mt19937& random)
{
    static const char* const extremes[] = {"0", "-1", "1", "2", "3", "-2", "300", "301", "-300", "-301", "1000", "1001",
                                           "10", "11", "20", "21", "100", "101", "99999", "100000", "100001",
                                           "2147483647", "2147483648", "-2147483649", "1e308", "-1e308", "1e999",
                                           "1e-999", "4.9e-324", "0.5", "-0.5", "7.9", "99", "-", ".", "+", "1e",
                                           "123456789012345678901234567890", "1e-320", "-0", "0.001"};
    static const std::string alphabet = "0123456789-+.eE \t\n\rx#=\xB0";
    const auto pick = [&](size_t n) { return n == 0 ? size_t{0} : static_cast<size_t>(random() % n); };
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const auto kind = random() % 9;
        switch (kind) {
        case 0:   // one byte
            text[pick(text.size())] = alphabet[pick(alphabet.size())];
            break;
        case 1: {  // a token replaced by an extreme value
            const auto spans = TokenSpans(text);
            if (spans.empty()) break;
            const auto [at, length] = spans[pick(spans.size())];
            text.replace(at, length, extremes[pick(std::size(extremes))]);
            break;
        }
        case 2: {  // a token replaced by another token of the file
            const auto spans = TokenSpans(text);
            if (spans.size() < 2) break;
            const auto [at, length] = spans[pick(spans.size())];
            const auto [from, count] = spans[pick(spans.size())];
            text.replace(at, length, text.substr(from, count));
            break;
        }
        case 3: {  // a range deleted
            const size_t at = pick(text.size());
            text.erase(at, 1 + pick(60));
            break;
        }
        case 4: {  // a range repeated
            const size_t at = pick(text.size());
            const std::string piece = text.substr(at, 1 + pick(200));
            text.insert(pick(text.size()), piece);
            break;
        }
        case 5:   // the end cut off
            text.resize(pick(text.size()));
            break;
        case 6:    // two neighbouring lines swapped
        case 7: {  // a run of up to eight lines reversed
            std::vector<std::string> lines;
            for (size_t from = 0; from < text.size();) {
                const size_t end = std::min(text.find('\n', from), text.size());
                lines.push_back(text.substr(from, end - from));
                from = end + 1;
            }
            if (lines.size() < 2) break;
            const size_t first = pick(lines.size() - 1);
            const size_t count = std::min(lines.size() - first, kind == 6 ? size_t{2} : 2 + pick(7));
            std::reverse(lines.begin() + static_cast<std::ptrdiff_t>(first),
                         lines.begin() + static_cast<std::ptrdiff_t>(first + count));
            std::string joined;
            for (const std::string& line : lines) joined += line + "\n";
            text = joined;
            break;
        }
        default: {  // a number inserted
            text.insert(pick(text.size()), std::string(" ") + extremes[pick(std::size(extremes))] + " ");
            break;
        }
        }
    }
    return text;
}

}  // namespace modelfiles_test
