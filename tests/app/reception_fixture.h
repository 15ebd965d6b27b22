// A window whose port choice "Com5" is a pseudo-terminal the test plays the
// device on.
#pragma once

#include "window_fixture.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

// A pseudo-terminal whose slave end the window opens as "COM5".
struct Reception : WindowTest {
    int Master = -1;
    std::string SlavePath;

    void SetUp() override {
        int slave = -1;
        char name[128];
        ASSERT_EQ(openpty(&Master, &slave, name, nullptr, nullptr), 0);
        close(slave);
        SlavePath = name;
    }
    void TearDown() override {
        Window.reset();
        if (Master >= 0)
            close(Master);
        SetPortOverrides({});
    }
    void StartMapped(const std::string& settings = "") {
        StartWithSettings("[Ports]\r\nCOM5=" + SlavePath + "\r\n" + settings);
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(Master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    bool Stopped() const { return !Window->Timer1.Running(); }
};
