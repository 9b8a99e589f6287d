#pragma once
// The libraries our speed is measured against: GOST 28147-89 in CFB mode from
// libgcrypt, Crypto++ and Botan, and OpenSSL's RC4. Only the benchmark
// binaries link them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace brisol::bench {

enum class GostDirection { Encrypt, Decrypt };
enum class GostLibrary { Libgcrypt, Cryptopp, Botan };

inline constexpr GostLibrary kGostLibraries[] = {GostLibrary::Libgcrypt, GostLibrary::Cryptopp,
                                                 GostLibrary::Botan};

// "libgcrypt", "cryptopp", "botan": benchmark names and the file anchor's argument.
std::string_view gost_library_name(GostLibrary library);

// GOST-CFB from a zero register with the S-box set the product uses; one
// object runs on through every call, as one long message.
class GostCfb {
public:
    virtual ~GostCfb() = default;
    // False when the library refused the data.
    virtual bool run(std::uint8_t* data, std::size_t n) noexcept = 0;
};

std::unique_ptr<GostCfb> make_gost_cfb(GostLibrary library, GostDirection direction,
                                       const std::uint8_t* key32);

// One maker per library, each in its own file.
std::unique_ptr<GostCfb> make_gcrypt_gost_cfb(GostDirection direction, const std::uint8_t* key32);
std::unique_ptr<GostCfb> make_cryptopp_gost_cfb(GostDirection direction, const std::uint8_t* key32);
std::unique_ptr<GostCfb> make_botan_gost_cfb(GostDirection direction, const std::uint8_t* key32);

// RC4 from OpenSSL's low-level interface.
class OpensslRc4 {
public:
    explicit OpensslRc4(const std::uint8_t* key32);
    ~OpensslRc4();
    OpensslRc4(const OpensslRc4&) = delete;
    OpensslRc4& operator=(const OpensslRc4&) = delete;

    void run(std::uint8_t* data, std::size_t n) noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace brisol::bench
