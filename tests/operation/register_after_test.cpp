#include <gtest/gtest.h>

#include <filesystem>

#include "operation/messages.h"
#include "operation/register_after.h"
#include "test_files.h"

namespace brisol {
namespace {

using testing::TempDir;
using testing::pattern_bytes;
using testing::write_file;

struct PreviousFile {
    std::size_t size;
    std::size_t block_at;  // where the register is read, or 0 when refused
};

// The register is the last block of the last full chunk, wherever the tail
// leaves the end of the file.
const PreviousFile kPreviousFiles[] = {
    {0, 0}, {511, 0}, {512, 504}, {1023, 504}, {1024, 1016}, {1300, 1016},
};

TEST(RegisterAfter, IsTheLastBlockOfTheLastFullChunk) {
    TempDir dir;
    for (const PreviousFile& c : kPreviousFiles) {
        const std::string path = dir.file("previous.bsl");
        const std::string bytes = pattern_bytes(c.size, 3);
        write_file(path, bytes);
        const RegisterAfterResult result = register_after(path);
        if (c.block_at == 0) {
            EXPECT_EQ(result.message, messages::no_full_chunk(path)) << c.size;
            continue;
        }
        const auto* block = reinterpret_cast<const std::uint8_t*>(bytes.data()) + c.block_at;
        EXPECT_EQ(result.message, "") << c.size;
        EXPECT_EQ(result.reg, (FeedbackRegister{load_le32(block), load_le32(block + 4)})) << c.size;
    }
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(register_after(dir.file("folder")).message,
              "Cannot open \"" + dir.file("folder") + "\": Is a directory");
    EXPECT_EQ(register_after(dir.file("absent")).message,
              "Cannot open \"" + dir.file("absent") + "\": No such file or directory");
}

}  // namespace
}  // namespace brisol
