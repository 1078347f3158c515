#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/filewrite.h"

namespace fs = std::filesystem;

namespace {

class FileWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vek_filewrite_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int Entries() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
    }
    fs::path dir_;
};

}  // namespace

TEST_F(FileWriteTest, WritesTheBytesAndReplacesAnOldFile) {
    const std::string path = Path("t.fot");
    ASSERT_TRUE(WriteFileAtomic(path, std::string("a\r\nb\0c", 6)).Ok());
    EXPECT_EQ(Read(path), std::string("a\r\nb\0c", 6));
    ASSERT_TRUE(WriteFileAtomic(path, "new").Ok());
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Entries(), 1);  // no temporary file left beside it
}

TEST_F(FileWriteTest, FailureReportsAReasonAndLeavesNoTemporary) {
    const std::string file = Path("plain.txt");
    ASSERT_TRUE(WriteFileAtomic(file, "old").Ok());
    // A folder that does not exist, and a "folder" that is a file: root
    // cannot create there either.
    for (const std::string& bad : {Path("none/t.fot"), file + "/t.fot"}) {
        const FileWriteResult r = WriteFileAtomic(bad, "x");
        EXPECT_EQ(r.status, FileWriteStatus::CannotCreate) << bad;
        EXPECT_FALSE(r.reason.empty());
    }
    // The target is a folder: the rename fails and the temporary is removed.
    fs::create_directories(dir_ / "sub" / "inner");
    const FileWriteResult r = WriteFileAtomic(Path("sub"), "x");
    EXPECT_EQ(r.status, FileWriteStatus::RenameError);
    EXPECT_TRUE(fs::is_directory(dir_ / "sub" / "inner"));
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(Entries(), 2);
}
