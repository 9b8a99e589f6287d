#pragma once
// The libraries our speed is measured against: libgcrypt's GOST 28147-89 in
// CFB mode and OpenSSL's RC4. Only the benchmark binaries link them.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace brisol::bench {

enum class GostDirection { Encrypt, Decrypt };

// GOST-CFB from a zero register with the S-box set the product uses; one
// handle runs on through every call, as one long message.
class GcryptGostCfb {
public:
    GcryptGostCfb(GostDirection direction, const std::uint8_t* key32);
    ~GcryptGostCfb();
    GcryptGostCfb(const GcryptGostCfb&) = delete;
    GcryptGostCfb& operator=(const GcryptGostCfb&) = delete;

    // False when libgcrypt refused the data.
    bool run(std::uint8_t* data, std::size_t n) noexcept;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    GostDirection direction_;
};

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
