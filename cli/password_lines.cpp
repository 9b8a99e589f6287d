#include "password_lines.h"

#include <algorithm>

namespace brisol::cli {

LineRead LineReader::next(std::string& line) {
    std::size_t length = 0;  // of this line so far, without its '\n'
    for (;;) {
        if (start_ == end_) {
            const SourceRead got = read_source(source_, std::span(buffer_.begin(), block_));
            if (got.error != 0) return {got.error, false};
            if (got.bytes == 0) return {};
            start_ = 0;
            end_ = got.bytes;
        }
        const char* from = buffer_.begin() + start_;
        const char* to = buffer_.begin() + end_;
        const char* line_end = std::find(from, to, '\n');
        length += static_cast<std::size_t>(line_end - from);
        if (length > kMaxLineBytes) return {0, true};
        const bool ended = line_end != to;
        const std::size_t taken = static_cast<std::size_t>(line_end - from) + (ended ? 1 : 0);
        line.append(from, taken);
        start_ += taken;
        if (ended) return {};
    }
}

}  // namespace brisol::cli
