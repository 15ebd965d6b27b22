// Recording raw bytes: taking them costs no system call, they go to the
// system at least twice a second without waiting, and a failing file ends
// the recording while keeping what was written.
#include "raw_recording.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

// A file whose writes end when the test says so.
struct TScriptedFile : TAsyncFile {
    struct TShared {
        std::vector<std::string> Begun; // the bytes of each write begun
        std::string Contents;
        bool Busy = false;
        std::size_t Take = static_cast<std::size_t>(-1); // most bytes a write takes
        std::string FailWith;
        bool RefuseToBegin = false;
        bool Closed = false;
    };
    explicit TScriptedFile(TShared& shared) : Shared(shared) {}
    ~TScriptedFile() override { Shared.Closed = true; }
    bool BeginWrite(const uint8_t* data, std::size_t count, std::string& reason) override {
        if (Shared.RefuseToBegin) {
            reason = "refused";
            return false;
        }
        Shared.Begun.emplace_back(reinterpret_cast<const char*>(data), count);
        return true;
    }
    TState Poll(std::size_t& written, std::string& reason) override {
        if (Shared.Busy)
            return TState::Busy;
        if (!Shared.FailWith.empty()) {
            reason = Shared.FailWith;
            return TState::Failed;
        }
        const std::string& last = Shared.Begun.back();
        written = std::min(last.size(), Shared.Take);
        Shared.Contents += last.substr(0, written);
        return TState::Done;
    }
    TShared& Shared;
};

struct RawRecording : ::testing::Test {
    TScriptedFile::TShared File;
    TRawRecording Recording{[this](const std::string& path, std::string& reason) {
        if (path == "missing/x.bin") {
            reason = "No such file or directory";
            return std::unique_ptr<TAsyncFile>();
        }
        File = TScriptedFile::TShared{};
        return std::unique_ptr<TAsyncFile>(std::make_unique<TScriptedFile>(File));
    }};
    void Append(const std::string& bytes) {
        Recording.Append(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    void Start() {
        std::string reason;
        ASSERT_TRUE(Recording.Start("x.bin", reason)) << reason;
    }
};

} // namespace

TEST_F(RawRecording, BytesGoToTheSystemAtLeastTwiceASecond) {
    Start();
    Append("ab");
    EXPECT_TRUE(File.Begun.empty()) << "taking bytes is no system call";
    Recording.Pump(10.0);
    ASSERT_EQ(File.Begun.size(), 1u);
    EXPECT_EQ(File.Begun[0], "ab");

    // While a write is under way, what comes is held; once it has ended,
    // the next goes when half a second has passed since the last.
    File.Busy = true;
    Append("cd");
    Recording.Pump(10.2);
    File.Busy = false;
    Append("e");
    Recording.Pump(10.3);
    EXPECT_EQ(File.Begun.size(), 1u);
    Recording.Pump(10.5);
    ASSERT_EQ(File.Begun.size(), 2u);
    EXPECT_EQ(File.Begun[1], "cde");
    Recording.Pump(10.6);
    EXPECT_EQ(File.Contents, "abcde");
    EXPECT_EQ(Recording.BytesTaken(), 5u);
    EXPECT_EQ(Recording.BytesWritten(), 5u);

    // Many bytes at once go at once.
    Append(std::string(TRawRecording::WriteBatch, 'x'));
    Recording.Pump(10.7);
    EXPECT_EQ(File.Begun.size(), 3u);
}

TEST_F(RawRecording, AWriteThatTakesFewerBytesGoesOnWithTheRest) {
    Start();
    File.Take = 3;
    Append("0123456789");
    for (double t = 0; t < 3; t += 0.1)
        Recording.Pump(t);
    EXPECT_EQ(File.Contents, "0123456789");
    EXPECT_EQ(File.Begun[1], "3456789");
}

TEST_F(RawRecording, FinishWritesWhatIsHeldThenClosesTheFile) {
    Start();
    Append("first");
    Recording.Pump(0);
    Append("last");
    Recording.Finish();
    Append("after the end");
    EXPECT_FALSE(Recording.Recording());
    EXPECT_TRUE(Recording.Open());
    Recording.Pump(0.1);
    Recording.Pump(0.2);
    Recording.Pump(0.3);
    EXPECT_FALSE(Recording.Open());
    EXPECT_TRUE(File.Closed);
    EXPECT_EQ(File.Contents, "firstlast");
    EXPECT_TRUE(Recording.Failure().empty());
}

TEST_F(RawRecording, AFailedWriteEndsTheRecordingAndKeepsWhatWasWritten) {
    Start();
    Append("kept");
    Recording.Pump(0);
    Recording.Pump(1);
    Append("lost");
    Recording.Pump(2);
    File.FailWith = "No space left on device";
    Recording.Pump(3);
    EXPECT_FALSE(Recording.Open());
    EXPECT_EQ(Recording.Failure(), "No space left on device");
    EXPECT_EQ(Recording.BytesWritten(), 4u);
    EXPECT_EQ(File.Contents, "kept");
    Append("more");
    Recording.Pump(4);
    EXPECT_EQ(Recording.BytesTaken(), 8u) << "nothing taken after the end";

    // A write the system refuses to begin ends it too.
    Start();
    EXPECT_TRUE(Recording.Failure().empty());
    File.RefuseToBegin = true;
    Append("x");
    Recording.Pump(0);
    EXPECT_EQ(Recording.Failure(), "refused");
    EXPECT_FALSE(Recording.Open());
}

TEST_F(RawRecording, ADiskThatNoLongerAnswersIsGivenUpWithoutWaiting) {
    Start();
    Append("stuck");
    Recording.Pump(0);
    File.Busy = true;
    Append(std::string(TRawRecording::MostHeldBack + 1, 'x'));
    Recording.Pump(1);
    EXPECT_FALSE(Recording.Failure().empty());
    EXPECT_FALSE(Recording.Recording());
    // The write under way still reads its bytes: the file stays open until
    // it has ended, and nothing else is written.
    EXPECT_TRUE(Recording.Open());
    File.Busy = false;
    Recording.Pump(2);
    EXPECT_FALSE(Recording.Open());
    EXPECT_EQ(File.Contents, "stuck");
}

TEST_F(RawRecording, AFileThatCannotBeMadeIsNamedWithTheReason) {
    std::string reason;
    EXPECT_FALSE(Recording.Start("missing/x.bin", reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_FALSE(Recording.Open());
}

#ifndef _WIN32
TEST(RawRecordingOnDisk, EveryByteReachesTheFileInOrder) {
    const std::string path = TempPath("raw.bin");
    TRawRecording recording;
    std::string reason;
    ASSERT_TRUE(recording.Start(path, reason)) << reason;
    std::mt19937 random(3);
    std::string sent;
    double now = 0;
    while (sent.size() < 300000) {
        std::string piece(random() % 400, '\0');
        for (char& c : piece)
            c = static_cast<char>(random());
        recording.Append(reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
        sent += piece;
        recording.Pump(now += 0.01);
    }
    recording.Finish();
    for (int i = 0; i < 5000 && recording.Open(); ++i) {
        recording.Pump(now += 0.01);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(recording.Open());
    EXPECT_EQ(recording.BytesWritten(), sent.size());
    EXPECT_EQ(ReadFile(path), sent);
}

TEST(RawRecordingOnDisk, AFullDiskEndsTheRecordingWithTheSystemsReason) {
    TRawRecording recording;
    std::string reason;
    ASSERT_TRUE(recording.Start("/dev/full", reason)) << reason;
    const uint8_t bytes[] = {1, 2, 3};
    recording.Append(bytes, 3);
    for (int i = 0; i < 5000 && recording.Open(); ++i) {
        recording.Pump(i * 0.01);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(recording.Failure(), "No space left on device");
    EXPECT_FALSE(recording.Start(TempPath("no-such-folder") + "/x.bin", reason));
    EXPECT_EQ(reason, "No such file or directory");
}
#endif

TEST(RawRecordingAtTheEnd, WhatIsHeldIsWrittenBeforeTheFileCloses) {
    TScriptedFile::TShared file;
    {
        TRawRecording recording([&file](const std::string&, std::string&) {
            return std::unique_ptr<TAsyncFile>(std::make_unique<TScriptedFile>(file));
        });
        std::string reason;
        ASSERT_TRUE(recording.Start("x.bin", reason));
        recording.Append(reinterpret_cast<const uint8_t*>("first"), 5);
        recording.Pump(0);
        recording.Append(reinterpret_cast<const uint8_t*>("held"), 4);
    }
    EXPECT_EQ(file.Contents, "firstheld");
    EXPECT_TRUE(file.Closed);
}
