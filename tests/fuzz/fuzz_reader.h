#pragma once
// Takes a fuzz input apart field by field; past its end every field is empty
// or zero, so any input, however short, is a valid case.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brisol::fuzzing {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    std::string_view take(std::size_t n) {
        n = n < size ? n : size;
        std::string_view out(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return out;
    }
};

}  // namespace brisol::fuzzing
