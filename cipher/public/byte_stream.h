#pragma once
// The pipeline reads and writes through these two small interfaces, so the
// same code runs over files and over memory.

#include <cstddef>
#include <cstdint>
#include <span>

namespace brisol {

// bytes moved, and an errno value when the request failed (0 otherwise).
struct IoStatus {
    std::size_t bytes = 0;
    int error = 0;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to into.size() bytes. A short count is allowed before the end;
    // 0 bytes without an error means the input is exhausted.
    virtual IoStatus read(std::span<std::uint8_t> into) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all of bytes, or reports why it could not.
    virtual IoStatus write(std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace brisol
