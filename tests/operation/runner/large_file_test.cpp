// A sparse input just past 4 GiB through Crypt and Decrypt: sizes, offsets
// and progress must not wrap at 2^32. Labelled `long`; `make test-long` runs it.

#include <gcrypt.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "../test_files.h"

namespace brisol {
namespace {

using testing::pattern_bytes;
using testing::RecordingSink;

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
constexpr std::uint64_t kInputSize = k4GiB + 777;
constexpr std::size_t kMarkerSize = 4096;
constexpr std::size_t kHashBuffer = 1 << 20;

// Data among the holes: at the start, halfway, and from just before 2^32 to
// the end of the file.
constexpr std::uint64_t kMarkerOffsets[] = {0, k4GiB / 2, k4GiB - kMarkerSize / 2};

std::string sha256_of(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "cannot open " + path;
    gcry_md_hd_t md = nullptr;
    gcry_md_open(&md, GCRY_MD_SHA256, 0);
    std::vector<char> buffer(kHashBuffer);
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
        gcry_md_write(md, buffer.data(), static_cast<std::size_t>(got));
    ::close(fd);
    const unsigned char* digest = gcry_md_read(md, GCRY_MD_SHA256);
    std::string hex;
    for (unsigned i = 0; i < gcry_md_get_algo_dlen(GCRY_MD_SHA256); ++i) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    gcry_md_close(md);
    return got < 0 ? "read error in " + path : hex;
}

bool make_sparse_input(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    bool ok = ::ftruncate(fd, static_cast<off_t>(kInputSize)) == 0;
    unsigned seed = 1;
    for (const std::uint64_t offset : kMarkerOffsets) {
        const std::string marker = pattern_bytes(kMarkerSize, seed++);
        const std::size_t length = std::min<std::uint64_t>(kMarkerSize, kInputSize - offset);
        ok = ok && ::pwrite(fd, marker.data(), length, static_cast<off_t>(offset)) ==
                       static_cast<ssize_t>(length);
    }
    return ::close(fd) == 0 && ok;
}

// Runs one operation and checks what the sink heard about sizes.
void run_and_check(OperationRunner& runner, Direction direction, const std::string& path,
                   const std::string& extension) {
    RecordingSink sink;
    ASSERT_TRUE(runner.start(direction, path, "first", "second", extension, sink).started);
    runner.wait();
    ASSERT_EQ(sink.completions.size(), 1u);
    EXPECT_EQ(sink.completions[0].outcome, OperationOutcome::Succeeded)
        << sink.completions[0].message;
    EXPECT_EQ(sink.completions[0].bytes_done, kInputSize);
    ASSERT_FALSE(sink.progress.empty());
    std::uint64_t last = 0;
    bool totals_right = true;
    bool never_backwards = true;
    for (const auto& [done, total] : sink.progress) {
        totals_right = totals_right && total == kInputSize;
        never_backwards = never_backwards && done >= last;
        last = done;
    }
    EXPECT_TRUE(totals_right);
    EXPECT_TRUE(never_backwards);
    EXPECT_EQ(last, kInputSize);
}

// Removes its files when the test ends; the build's cleanup test removes
// them if the process was stopped instead.
class LargeFileDir {
public:
    LargeFileDir() { std::filesystem::create_directories(path_); }
    ~LargeFileDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    LargeFileDir(const LargeFileDir&) = delete;
    LargeFileDir& operator=(const LargeFileDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_{BRISOL_LARGE_FILE_DIR};
};

TEST(LargeFile, PastFourGibibytesRoundTripsWithItsChecksum) {
    const LargeFileDir dir;
    struct statvfs space {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &space), 0);
    if (std::uint64_t{space.f_bavail} * space.f_frsize < 2 * kInputSize + k4GiB / 4)
        GTEST_SKIP() << "needs 9 GiB free in " << dir.path();

    const std::string input = dir.file("big.bin");
    ASSERT_TRUE(make_sparse_input(input));
    const std::string checksum = sha256_of(input);

    OperationRunner runner;
    run_and_check(runner, Direction::Crypt, input, "");
    EXPECT_EQ(std::filesystem::file_size(input + ".bsl"), kInputSize);
    run_and_check(runner, Direction::Decrypt, input + ".bsl", ".out");
    std::filesystem::remove(input + ".bsl");
    EXPECT_EQ(std::filesystem::file_size(input + ".bsl.out"), kInputSize);
    EXPECT_EQ(sha256_of(input + ".bsl.out"), checksum);
    EXPECT_EQ(sha256_of(input), checksum);
}

}  // namespace
}  // namespace brisol
