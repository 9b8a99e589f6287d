// The end-to-end anchors: GOST-CFB of one library from one file to another
// with 256 KiB reads and writes and a flush to disk at the end, as a program
// built on that library would do it.
// Usage: brisol-gost-anchor libgcrypt|cryptopp|botan encrypt|decrypt INPUT OUTPUT

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "anchors.h"

namespace {

constexpr std::size_t kIoBytes = 256 * 1024;
constexpr std::array<std::uint8_t, 32> kKey = {'e', 'n', 'd', ' ', 't', 'o', ' ', 'e', 'n', 'd'};

// Fills the buffer unless the input ends first; -1 on a read error.
long read_full(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t n = ::read(fd, data + filled, size - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    return static_cast<long>(filled);
}

bool write_all(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using brisol::bench::GostDirection;
    using brisol::bench::GostLibrary;
    const GostLibrary* library = nullptr;
    for (const GostLibrary& known : brisol::bench::kGostLibraries)
        if (argc == 5 && brisol::bench::gost_library_name(known) == argv[1]) library = &known;
    if (library == nullptr) {
        std::fprintf(stderr, "usage: %s libgcrypt|cryptopp|botan encrypt|decrypt INPUT OUTPUT\n",
                     argv[0]);
        return 2;
    }
    const bool encrypt = std::string_view(argv[2]) == "encrypt";
    const int in = ::open(argv[3], O_RDONLY);
    const int out = ::open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0) {
        std::perror("open");
        return 1;
    }
    const auto gost = brisol::bench::make_gost_cfb(
        *library, encrypt ? GostDirection::Encrypt : GostDirection::Decrypt, kKey.data());
    std::vector<std::uint8_t> buffer(kIoBytes);
    for (;;) {
        const long got = read_full(in, buffer.data(), buffer.size());
        if (got < 0) {
            std::perror("read");
            return 1;
        }
        if (got == 0) break;
        const auto n = static_cast<std::size_t>(got);
        if (!gost->run(buffer.data(), n) || !write_all(out, buffer.data(), n)) {
            std::fprintf(stderr, "encryption or write failed\n");
            return 1;
        }
    }
    if (::fsync(out) != 0) {
        std::perror("fsync");
        return 1;
    }
    return ::close(out) == 0 ? 0 : 1;
}
