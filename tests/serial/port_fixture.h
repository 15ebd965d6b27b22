// A test that opens one port as Start does and closes every handle it
// opened at the end; the same on both platforms.
#pragma once

#include "com_link.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

class TPortTest : public ::testing::Test {
protected:
    explicit TPortTest(std::string portName) : PortName(std::move(portName)) {}

    void TearDown() override {
        for (THandle h : Opened)
            CloseHandle(h);
    }

    // Opens the port and keeps the handle for closing at the end.
    THandle Open() {
        const THandle h = Link.OpenPort(PortName);
        if (h != INVALID_HANDLE_VALUE)
            Opened.push_back(h);
        return h;
    }

    // Opens and sets the port up as Start does.
    THandle OpenConfigured() {
        const THandle h = Open();
        if (h != INVALID_HANDLE_VALUE) {
            Link.ConfigurePort(h);
            Link.SetReadTimeouts(h);
        }
        return h;
    }

    std::string PortName;
    TComLink Link;
    std::vector<THandle> Opened;
};
