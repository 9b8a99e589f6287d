// What a run that died may leave, and what later runs do with it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "../held_crypt.h"
#include "../test_files.h"

namespace brisol {
namespace {

using testing::FaultyFileSystem;
using testing::HeldCrypt;
using testing::InputBesideOldOutput;
using testing::read_file;
using testing::run_to_end;
using testing::TempDir;
using testing::write_file;

constexpr std::size_t kInputSize = 100 * 1024 + 3;

enum class Made { File, HeldFile, Directory, LinkToFile, HardLinkToFile, OtherUsersFile };

struct Neighbour {
    const char* name;
    Made made;
    bool swept;
};

const Neighbour kNeighbours[] = {
    {".brisol-Ab3dEf9h.tmp", Made::File, true},
    {".brisol-0123abcd.tmp", Made::HeldFile, false},
    {".brisol-Ab3dEf9.tmp", Made::File, false},
    {".brisol-Ab3dEf9hX.tmp", Made::File, false},
    {".brisol-Ab3d_f9h.tmp", Made::File, false},
    {".brisol-Ab3dEf9h.tmp.part", Made::File, false},
    {"brisol-Ab3dEf9h.tmp", Made::File, false},
    {".brisol-Ab3dEf9h.TMP", Made::File, false},
    {".brisol-DirDir12.tmp", Made::Directory, false},
    {".brisol-Link1234.tmp", Made::LinkToFile, false},
    {".brisol-Hard1234.tmp", Made::HardLinkToFile, false},
    {".brisol-User1234.tmp", Made::OtherUsersFile,
     false},  // made only where a file can be given away
};

// Holds a file as a live run does, from a descriptor of its own.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        EXPECT_GE(fd_, 0) << path;
        EXPECT_EQ(::flock(fd_, LOCK_EX), 0) << path;
    }
    ~HeldFile() { ::close(fd_); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int fd_;
};

TEST(Leftovers, ARunSweepsOnlyUnheldFilesOfItsOwnPattern) {
    for (const bool unnamed : {true, false}) {
        const InputBesideOldOutput files_at_hand(kInputSize);
        const TempDir& dir = files_at_hand.dir;
        write_file(dir.file("link-target"), "the user's");
        std::vector<std::unique_ptr<HeldFile>> held;
        std::set<std::string> expected = {"data.bin", "data.bin.bsl", "link-target"};
        for (const Neighbour& n : kNeighbours) {
            const std::string path = dir.file(n.name);
            if (n.made == Made::Directory) std::filesystem::create_directory(path);
            if (n.made == Made::LinkToFile) std::filesystem::create_symlink("link-target", path);
            if (n.made == Made::HardLinkToFile)
                std::filesystem::create_hard_link(dir.file("link-target"), path);
            if (n.made == Made::OtherUsersFile) {
                write_file(path, "another user's");
                if (::chown(path.c_str(), 65534, 65534) != 0) {
                    std::filesystem::remove(path);
                    continue;
                }
            }
            if (n.made == Made::File || n.made == Made::HeldFile) write_file(path, "left behind");
            if (n.made == Made::HeldFile) held.push_back(std::make_unique<HeldFile>(path));
            if (!n.swept) expected.insert(n.name);
        }

        FaultyFileSystem files;
        files.unnamed_unsupported = !unnamed;
        OperationRunner runner(files);
        const OperationResult result = run_to_end(runner, Direction::Crypt, files_at_hand.input);
        EXPECT_EQ(result.outcome, OperationOutcome::Succeeded) << result.message;
        EXPECT_EQ(dir.names(), expected) << (unnamed ? "unnamed" : "hidden name");
        EXPECT_EQ(read_file(dir.file("link-target")), "the user's");
    }
}

// However many outputs a process makes in a folder, it looks through the
// folder once: a sweep per output would cost the folder's size each time.
TEST(Leftovers, AProcessListsEachFolderOnce) {
    const InputBesideOldOutput files_at_hand(kInputSize);
    const std::string other = files_at_hand.dir.file("other.bin");
    write_file(other, "another input");
    FaultyFileSystem files;
    for (const std::string& input : {files_at_hand.input, other, files_at_hand.input}) {
        OperationRunner runner(files);
        EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded)
            << input;
    }
    EXPECT_EQ(files.listings, 1);
}

// While a run writes, its output is nowhere to be seen, or it is a hidden
// file that a second run in the same folder leaves alone.
TEST(Leftovers, ARunningOutputIsUnnamedOrHeld) {
    for (const bool unnamed : {true, false}) {
        const std::string way = unnamed ? "unnamed" : "hidden name";
        const InputBesideOldOutput files_at_hand(kInputSize);
        const TempDir& dir = files_at_hand.dir;
        const std::string other = dir.file("other.bin");
        write_file(other, "another input");

        HeldCrypt held(files_at_hand.input, unnamed);
        ASSERT_TRUE(held.started.started) << held.started.message;
        std::set<std::string> hidden = dir.names();
        for (const char* name : {"data.bin", "data.bin.bsl", "other.bin"}) hidden.erase(name);
        EXPECT_EQ(hidden.size(), unnamed ? 0u : 1u) << way;

        OperationRunner second;
        EXPECT_EQ(run_to_end(second, Direction::Crypt, other).outcome, OperationOutcome::Succeeded)
            << way;
        for (const std::string& name : hidden)
            EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << way;

        held.release_and_wait();
        ASSERT_EQ(held.sink.completions.size(), 1u) << way;
        EXPECT_EQ(held.sink.completions[0].outcome, OperationOutcome::Succeeded) << way;
        EXPECT_EQ(dir.names(),
                  (std::set<std::string>{"data.bin", "data.bin.bsl", "other.bin", "other.bin.bsl"}))
            << way;
    }
}

}  // namespace
}  // namespace brisol
