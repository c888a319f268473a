// The line settings and timeouts an open gives the port: the two handshake modes, parity, stop
// bits, byte size and speed, and the five timeouts; every field the open does not name keeps
// the port's value. On Windows the records are the platform's DCB and COMMTIMEOUTS.
#include <gtest/gtest.h>

#include <cstring>

#include "device/CommSettings.h"

namespace {

using namespace tarvello::comm;

// The port's settings before the open: every bit on (or off), so that each field the open sets
// or clears shows, and characters and limits at values no open uses.
CommState PortBefore(bool bitsOn) {
    CommState s;
    std::memset(&s, bitsOn ? 0xFF : 0x00, sizeof s);
    s.XonLim = 1234;
    s.XoffLim = 4321;
    s.XonChar = 'a';
    s.XoffChar = 'b';
    s.ErrorChar = 'c';
    s.EofChar = 'd';
    s.EvtChar = 'e';
    return s;
}

PortSettings Settings(int handshake, uint8_t byteSize = 8, uint8_t parity = 0, uint8_t stop = 0) {
    PortSettings p;
    p.dwBaudRate = 38400;
    p.byByteSize = byteSize;
    p.byParity = parity;
    p.byStopBits = stop;
    p.nHandshake = handshake;
    return p;
}

// The fields no open names are the port's.
void ExpectUnnamedKept(const CommState& before, const CommState& after) {
    EXPECT_EQ(after.fErrorChar, before.fErrorChar);
    EXPECT_EQ(after.fDummy2, before.fDummy2);
    EXPECT_EQ(after.wReserved, before.wReserved);
    EXPECT_EQ(after.XonLim, before.XonLim);
    EXPECT_EQ(after.XoffLim, before.XoffLim);
    EXPECT_EQ(after.ErrorChar, before.ErrorChar);
    EXPECT_EQ(after.EofChar, before.EofChar);
    EXPECT_EQ(after.EvtChar, before.EvtChar);
    EXPECT_EQ(after.wReserved1, before.wReserved1);
}

TEST(CommSettings, HardwareHandshakeWaitsForCtsWithRtsOnAndKeepsXonXoff) {
    for (bool bitsOn : {true, false}) {
        SCOPED_TRACE(bitsOn ? "from all bits on" : "from all bits off");
        const CommState before = PortBefore(bitsOn);
        CommState s = before;
        FillCommState(Settings(0), s);
        EXPECT_EQ(s.fOutxCtsFlow, 1u);
        EXPECT_EQ(s.fOutxDsrFlow, 0u);
        EXPECT_EQ(s.fDtrControl, kDtrControlDisable);
        EXPECT_EQ(s.fRtsControl, kRtsControlEnable);
        EXPECT_EQ(s.fDsrSensitivity, 0u);
        // Left as the port had them.
        EXPECT_EQ(s.fOutX, before.fOutX);
        EXPECT_EQ(s.fInX, before.fInX);
        EXPECT_EQ(s.XonChar, 'a');
        EXPECT_EQ(s.XoffChar, 'b');
        EXPECT_EQ(s.fTXContinueOnXoff, before.fTXContinueOnXoff);
        ExpectUnnamedKept(before, s);
    }
}

TEST(CommSettings, AnyOtherHandshakeIsXonXoffBothWaysWithNoLinesAsserted) {
    for (int handshake : {1, 2, -1}) {
        for (bool bitsOn : {true, false}) {
            SCOPED_TRACE(handshake);
            const CommState before = PortBefore(bitsOn);
            CommState s = before;
            FillCommState(Settings(handshake), s);
            EXPECT_EQ(s.fOutxCtsFlow, 0u);
            EXPECT_EQ(s.fOutxDsrFlow, 0u);
            EXPECT_EQ(s.fDtrControl, kDtrControlDisable);
            EXPECT_EQ(s.fRtsControl, kRtsControlDisable);
            EXPECT_EQ(s.fDsrSensitivity, 0u);
            EXPECT_EQ(s.fOutX, 1u);
            EXPECT_EQ(s.fInX, 1u);
            EXPECT_EQ(s.XonChar, 0x11);
            EXPECT_EQ(s.XoffChar, 0x13);
            EXPECT_EQ(s.fTXContinueOnXoff, 0u);
            ExpectUnnamedKept(before, s);
        }
    }
}

TEST(CommSettings, SpeedFramingAndTheFixedFlags) {
    for (uint32_t baud : {4800u, 9600u, 19200u, 38400u, 57600u}) {
        for (uint8_t size : {uint8_t{8}, uint8_t{7}}) {
            for (uint8_t parity : {uint8_t{0}, uint8_t{1}, uint8_t{2}}) {
                for (uint8_t stop : {uint8_t{0}, uint8_t{2}}) {
                    SCOPED_TRACE(testing::Message() << baud << " " << int(size) << " parity "
                                                    << int(parity) << " stop " << int(stop));
                    PortSettings p = Settings(0, size, parity, stop);
                    p.dwBaudRate = baud;
                    CommState s = PortBefore(parity % 2 == 0);
                    s.DCBlength = 0;
                    FillCommState(p, s);
                    EXPECT_EQ(s.DCBlength, sizeof(CommState));
                    EXPECT_EQ(s.BaudRate, baud);
                    EXPECT_EQ(s.ByteSize, size);
                    EXPECT_EQ(s.StopBits, stop);
                    EXPECT_EQ(s.Parity, parity);
                    EXPECT_EQ(s.fParity, parity != 0 ? 1u : 0u);
                    EXPECT_EQ(s.fBinary, 1u);
                    EXPECT_EQ(s.fAbortOnError, 1u);
                    EXPECT_EQ(s.fNull, 0u);
                }
            }
        }
    }
}

TEST(CommSettings, ReadsReturnAtOnceAndWritesGiveUpAfterTheirTimeout) {
    for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        CommTimeouts t;
        std::memset(&t, fill, sizeof t);
        FillCommTimeouts(t);
        EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
        EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
        EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
        EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 2000u);
        EXPECT_EQ(t.WriteTotalTimeoutConstant, 500u);
    }
}

} // namespace
