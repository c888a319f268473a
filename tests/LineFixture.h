// A scripted line (FakeLine.h) installed as the line backend, with the port open on it at
// 38400 baud and 8 data bits. The process-wide port state is cleared before the open and again
// once the test is done.
#pragma once

#include <gtest/gtest.h>

#include "FakeLine.h"
#include "device/SerialPort.h"

class LineFixture : public ::testing::Test {
  public:
    void SetUp() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        line.Install();
        PortSettings s;
        s.dwBaudRate = 38400;
        s.byByteSize = 8;
        ASSERT_EQ(OpenPort(s), 0);
    }
    void TearDown() override {
        g_hCom = kInvalidPortHandle;
        g_bPortOpen = false;
        line.Uninstall();
    }
    FakeLine line;
};
