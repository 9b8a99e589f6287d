#pragma once
// The substitution set of the GOST R 34.11-94 test examples, published in
// RFC 4357 as id-GostR3411-94-TestParamSet (OID 1.2.643.2.2.30.0). Row r
// substitutes bits 4r..4r+3 of a word; row 0 is the least significant nibble.

#include <array>
#include <cstdint>

namespace brisol {

using SBoxSet = std::array<std::array<std::uint8_t, 16>, 8>;

inline constexpr SBoxSet kTestParamSBoxes = {{
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
}};

}  // namespace brisol
