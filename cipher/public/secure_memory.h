#pragma once
// Memory that held key material is zeroed before it is released. A plain
// memset on an object about to die is a dead store the optimiser may drop;
// the empty asm statement that takes the pointer and clobbers memory makes the
// zeroing observable, so it stays.

#include <array>
#include <cstddef>
#include <cstring>

namespace brisol {

inline void secure_wipe(void* data, std::size_t size) noexcept {
    if (size == 0) return;
    std::memset(data, 0, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

// A fixed-size array that wipes itself when destroyed or reassigned from.
template <typename T, std::size_t N>
struct WipedArray {
    std::array<T, N> data{};

    WipedArray() = default;
    WipedArray(const WipedArray&) = default;
    WipedArray& operator=(const WipedArray&) = default;
    ~WipedArray() { wipe(); }

    void wipe() noexcept { secure_wipe(data.data(), sizeof(data)); }

    T& operator[](std::size_t i) noexcept { return data[i]; }
    const T& operator[](std::size_t i) const noexcept { return data[i]; }
    static constexpr std::size_t size() noexcept { return N; }
    T* begin() noexcept { return data.data(); }
    T* end() noexcept { return data.data() + N; }
    const T* begin() const noexcept { return data.data(); }
    const T* end() const noexcept { return data.data() + N; }

    friend bool operator==(const WipedArray&, const WipedArray&) = default;
};

}  // namespace brisol
