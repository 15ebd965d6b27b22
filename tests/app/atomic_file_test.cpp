// The writer of files that must not be left half-written, with contents in
// pieces and contents that fail on the way. What it does with links,
// read-only files and folders that take no new file is tested through its
// two users: the settings file (ini_file_test.cpp) and the saved log
// (text_actions_test.cpp).
#include "atomic_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

TContentWriter Pieces(const std::vector<std::string>& pieces) {
    return [pieces](const TPieceSink& sink) {
        for (const std::string& piece : pieces) {
            if (!sink(piece.data(), piece.size()))
                return;
        }
    };
}

TEST(WriteFileWhole, PiecesMakeTheFileInTheirOrder) {
    TempFolder folder;
    const std::string path = folder.File("rec.txt");
    WriteFile(path, std::string(5000, 'x'));
    EXPECT_EQ(WriteFileWhole(path, Pieces({"eins\r\n", "", "zwei\r\n", std::string(70000, 'z')})),
              "");
    EXPECT_EQ(ReadFile(path), "eins\r\nzwei\r\n" + std::string(70000, 'z'));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"rec.txt"});
}

// Saving twice to one name: the second write replaces the first file (the
// C runtime's rename on Windows refuses to).
TEST(WriteFileWhole, SecondWriteToTheSameNameReplacesTheFirst) {
    TempFolder folder;
    const std::string path = folder.File("rec.txt");
    ASSERT_EQ(WriteFileWhole(path, Pieces({"first and longer\r\n"})), "");
    ASSERT_EQ(WriteFileWhole(path, Pieces({"second\r\n"})), "");
    EXPECT_EQ(ReadFile(path), "second\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"rec.txt"});
}

TEST(WriteFileWhole, ContentThatFailsLeavesTheOldFileAndNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.File("rec.txt");
    WriteFile(path, "old");
    EXPECT_THROW((void)WriteFileWhole(path,
                                      [](const TPieceSink& sink) {
                                          sink("half", 4);
                                          throw std::runtime_error("no more");
                                      }),
                 std::runtime_error);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"rec.txt"});
}

#ifndef _WIN32
// A disk that fills up half-way, made by a file size limit in a child
// process: the write fails, later pieces are refused, the old file stays and
// the reason is the system's.
TEST(WriteFileWhole, WriteFailingHalfWayLeavesTheOldFile) {
    TempFolder folder;
    const std::string path = folder.File("rec.txt");
    WriteFile(path, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Over the limit a write fails with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        bool refusedAfterFailure = false;
        const std::string reason = WriteFileWhole(path, [&](const TPieceSink& sink) {
            const std::string piece(3000, 'n');
            const bool first = sink(piece.data(), piece.size());
            const bool second = sink(piece.data(), piece.size());
            refusedAfterFailure = first && !second && !sink("x", 1);
        });
        ::_exit(reason == std::strerror(EFBIG) && refusedAfterFailure ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"rec.txt"});
}
#endif

} // namespace
