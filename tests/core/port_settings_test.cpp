// Mode strings and the device names of configured ports.
#include <gtest/gtest.h>

#include "device/ModeString.h"
#ifndef _WIN32
#include "device/posix/PosixCommDriver.h"
#endif

namespace vornik {
namespace {

DCB DeviceDefaults() {
    DCB dcb;
    dcb.BaudRate = 1200;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutX = dcb.fInX = dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = true;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.XonLim = 77;
    dcb.EvtChar = '#';
    return dcb;
}

void ExpectLine(const DCB& dcb, uint32_t baud, uint8_t parity, uint8_t bits, uint8_t stop) {
    EXPECT_EQ(dcb.BaudRate, baud);
    EXPECT_EQ(dcb.Parity, parity);
    EXPECT_EQ(dcb.ByteSize, bits);
    EXPECT_EQ(dcb.StopBits, stop);
}

TEST(ModeString, BothSyntaxesSetTheLineAndSwitchFlowControlOff) {
    for (const char* mode : {"9600,N,8,1", "9600,n,8,1", " 96 , N , 8 , 1 ", "COM3:9600,N,8,1",
                             "baud=9600 parity=N data=8 stop=1", "COM1: BAUD=9600 PARITY=n DATA=8 STOP=1"}) {
        SCOPED_TRACE(mode);
        DCB dcb = DeviceDefaults();
        ASSERT_TRUE(BuildDcbFromMode(mode, dcb));
        ExpectLine(dcb, 9600, NOPARITY, 8, ONESTOPBIT);
        EXPECT_FALSE(dcb.fOutX || dcb.fInX || dcb.fOutxCtsFlow || dcb.fOutxDsrFlow);
        EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_ENABLE);
        EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_ENABLE);
        // Fields the string does not name keep the device's values.
        EXPECT_EQ(dcb.XonLim, 77);
        EXPECT_EQ(dcb.EvtChar, '#');
    }
}

TEST(ModeString, OtherLineSettingsAndHandshakes) {
    DCB dcb = DeviceDefaults();
    ASSERT_TRUE(BuildDcbFromMode("19200,O,7,2", dcb));
    ExpectLine(dcb, 19200, ODDPARITY, 7, TWOSTOPBITS);
    EXPECT_TRUE(dcb.fParity);
    ASSERT_TRUE(BuildDcbFromMode("110,M,5,1.5", dcb));
    ExpectLine(dcb, 110, MARKPARITY, 5, ONE5STOPBITS);
    ASSERT_TRUE(BuildDcbFromMode("4800", dcb));  // trailing fields may be left out
    ExpectLine(dcb, 4800, MARKPARITY, 5, ONE5STOPBITS);
    ASSERT_TRUE(BuildDcbFromMode("2400,S,6,1,x", dcb));
    EXPECT_TRUE(dcb.fOutX && dcb.fInX);
    ASSERT_TRUE(BuildDcbFromMode("baud=57600 parity=e data=8 stop=1 octs=on rts=hs to=off", dcb));
    ExpectLine(dcb, 57600, EVENPARITY, 8, ONESTOPBIT);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_FALSE(dcb.fOutX);
}

TEST(ModeString, RejectedStringsLeaveTheSettingsAlone) {
    for (const char* mode : {"", "   ", "fast", "9600,Q,8,1", "9600,N,9,1", "9600,N,8,3",
                             "9600,N,8,1,z", "9600,N,8,1,x,1", "0,N,8,1", "-9600,N,8,1",
                             "baud=9600 parity", "baud=9600 speed=2", "baud=abc"}) {
        SCOPED_TRACE(mode);
        DCB dcb = DeviceDefaults();
        EXPECT_FALSE(BuildDcbFromMode(mode, dcb));
        ExpectLine(dcb, 1200, EVENPARITY, 7, TWOSTOPBITS);
        EXPECT_TRUE(dcb.fOutX);
    }
    DCB dcb;
    EXPECT_FALSE(BuildDcbFromMode(nullptr, dcb));
}

#ifndef _WIN32
TEST(DevicePath, ComNamesPathsAndNamesUnderDev) {
    EXPECT_EQ(DevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DevicePath("COM16"), "/dev/ttyS15");
    EXPECT_EQ(DevicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(DevicePath("\\\\.\\COM10"), "/dev/ttyS9");
    EXPECT_EQ(DevicePath("COM17"), "/dev/COM17");  // beyond the options list: a name under /dev
    EXPECT_EQ(DevicePath("COM0"), "/dev/COM0");
    EXPECT_EQ(DevicePath("/dev/pts/4"), "/dev/pts/4");
    EXPECT_EQ(DevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePath("serial/by-id/usb-x"), "/dev/serial/by-id/usb-x");
    EXPECT_EQ(DevicePath("/tmp/\xEF\xEE\xF0\xF2"), "/tmp/порт");  // Windows-1251 to UTF-8
    EXPECT_EQ(DevicePath(""), "");
}
#endif

}  // namespace
}  // namespace vornik
