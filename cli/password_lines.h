#pragma once
// Password lines as sources give them: up to and including '\n', and never
// longer than kMaxLineBytes, so that a source without line ends (/dev/zero)
// ends in an error instead of in all the memory there is. A source that
// nobody else reads on is read in blocks; a shared one (standard input, a
// descriptor passed on, a terminal) a byte at a time, so that nothing after
// the passwords is consumed.

#include <string>

#include "secure_memory.h"
#include "console.h"

namespace brisol::cli {

// Far above the 31 characters a key block holds, however they are encoded.
inline constexpr std::size_t kMaxLineBytes = 4096;

class LineReader {
public:
    LineReader(const LineSource& source, bool shared)
        : source_(source), block_(shared ? 1 : buffer_.size()) {}

    // Appends the next line with its '\n' to `line`; at the end of the input,
    // what is left of it, which may be nothing.
    LineRead next(std::string& line);

private:
    LineSource source_;
    std::size_t block_;
    WipedArray<char, 2 * (kMaxLineBytes + 2)> buffer_;  // room for both lines
    std::size_t start_ = 0;                             // what is read and not yet taken
    std::size_t end_ = 0;
};

}  // namespace brisol::cli
