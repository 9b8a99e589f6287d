#pragma once
// Passes every write on to the sink it wraps and keeps a copy of the first
// bytes written, so a result can be looked at without reading the file back.
// The copy is plain text of a decrypted file: it is wiped when the sink goes.

#include <algorithm>
#include <vector>

#include "byte_stream.h"
#include "secure_memory.h"

namespace brisol {

class SamplingSink final : public ByteSink {
public:
    // Keeps up to `keep` bytes; the room is taken now, not while data flows.
    SamplingSink(ByteSink& inner, std::size_t keep) : inner_(inner), keep_(keep) {
        head_.reserve(keep);
    }
    ~SamplingSink() override { secure_wipe(head_.data(), head_.size()); }
    SamplingSink(const SamplingSink&) = delete;
    SamplingSink& operator=(const SamplingSink&) = delete;

    IoStatus write(std::span<const std::uint8_t> bytes) override {
        const IoStatus status = inner_.write(bytes);
        const std::size_t taken = std::min(status.bytes, keep_ - head_.size());
        head_.insert(head_.end(), bytes.begin(),
                     bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        return status;
    }

    std::span<const std::uint8_t> head() const { return head_; }

private:
    ByteSink& inner_;
    std::size_t keep_;
    std::vector<std::uint8_t> head_;
};

}  // namespace brisol
