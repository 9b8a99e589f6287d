#pragma once
// In-memory ends for the pipeline, for the tests and the fuzz targets.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "byte_stream.h"

namespace brisol {

class MemorySource final : public ByteSource {
public:
    // max_read limits each answer, to imitate a source that returns short reads.
    explicit MemorySource(std::span<const std::uint8_t> data, std::size_t max_read = SIZE_MAX)
        : data_(data), max_read_(std::max<std::size_t>(max_read, 1)) {}

    IoStatus read(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min({into.size(), data_.size() - offset_, max_read_});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), n, into.begin());
        offset_ += n;
        return {n, 0};
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t max_read_;
    std::size_t offset_ = 0;
};

class MemorySink final : public ByteSink {
public:
    IoStatus write(std::span<const std::uint8_t> bytes) override {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return {bytes.size(), 0};
    }

    std::vector<std::uint8_t> data;
};

}  // namespace brisol
