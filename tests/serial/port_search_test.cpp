// The port search's view of the nine ports: each is opened and closed again
// at once, as "COM Suche" does, and counts as found when it opened.
#include "com_link.h"
#include "port_names.h"
#include "pty_pair.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

std::array<bool, PortCount> SearchPorts() {
    TComLink link;
    std::array<bool, PortCount> found{};
    for (int n = 1; n <= PortCount; ++n) {
        hComPort = link.OpenPort(PortName(n));
        found[static_cast<std::size_t>(n - 1)] = hComPort != INVALID_HANDLE_VALUE;
        CloseHandle(hComPort);
    }
    return found;
}

class PortSearch : public ::testing::Test {
protected:
    void SetUp() override {
        SavedHandle = hComPort;
        ASSERT_NE(mkdtemp(Dir), nullptr);
    }
    void TearDown() override {
        SetPortOverrides({});
        hComPort = SavedHandle;
        if (!PlainFile.empty())
            unlink(PlainFile.c_str());
        rmdir(Dir);
    }

    THandle SavedHandle = 0;
    char Dir[32] = "/tmp/fennox-search-XXXXXX";
    std::string PlainFile;
};

TEST_F(PortSearch, FindsExactlyThePortsThatCanBeOpened) {
    // COM2, COM5 and COM9 are devices; COM7 is a device another program
    // holds open; COM4 is a plain file; the rest do not exist. No port of
    // the machine itself takes part.
    std::vector<std::unique_ptr<TPtyPair>> ptys;
    for (int i = 0; i < 4; ++i)
        ptys.push_back(std::make_unique<TPtyPair>());
    PlainFile = std::string(Dir) + "/plain";
    std::FILE* f = std::fopen(PlainFile.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    TPortOverrides overrides;
    for (int n = 1; n <= PortCount; ++n)
        overrides.push_back({PortName(n), std::string(Dir) + "/missing" + std::to_string(n)});
    overrides[1].DevicePath = ptys[0]->SlavePath;
    overrides[4].DevicePath = ptys[1]->SlavePath;
    overrides[8].DevicePath = ptys[2]->SlavePath;
    overrides[6].DevicePath = ptys[3]->SlavePath;
    overrides[3].DevicePath = PlainFile;
    SetPortOverrides(overrides);

    const THandle held = OpenDevice(ptys[3]->SlavePath);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const std::array<bool, PortCount> expected = {false, true,  false, false, true,
                                                  false, false, false, true};
    EXPECT_EQ(SearchPorts(), expected);
    // The search closed what it opened: a second search sees the same.
    EXPECT_EQ(SearchPorts(), expected);
    // The last open attempt's result stays in the handle.
    EXPECT_NE(hComPort, INVALID_HANDLE_VALUE);

    // Once the other program lets go, COM7 is found too.
    CloseHandle(held);
    std::array<bool, PortCount> withCom7 = expected;
    withCom7[6] = true;
    EXPECT_EQ(SearchPorts(), withCom7);
}

TEST_F(PortSearch, NothingFoundWhenNoPortExists) {
    TPortOverrides overrides;
    for (int n = 1; n <= PortCount; ++n)
        overrides.push_back({PortName(n), std::string(Dir) + "/none"});
    SetPortOverrides(overrides);
    const std::array<bool, PortCount> none{};
    EXPECT_EQ(SearchPorts(), none);
    EXPECT_EQ(hComPort, INVALID_HANDLE_VALUE);
}

} // namespace
