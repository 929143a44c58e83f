#pragma once
// The records and constants of serial communication, laid out after the
// Windows ones so that the port object reads the same on every platform.
// They are plain portable structs: a driver copies them to and from its
// native form.
#include <cstdint>

namespace vornik {

// Line settings of a serial device.
struct DCB {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    uint8_t fDtrControl = 0;  // DTR_CONTROL_*
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    uint8_t fRtsControl = 0;  // RTS_CONTROL_*
    bool fAbortOnError = false;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;  // 5..8
    uint8_t Parity = 0;    // NOPARITY...SPACEPARITY
    uint8_t StopBits = 0;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

// A device's configuration record; the line settings are its dcb.
struct COMMCONFIG {
    static constexpr uint32_t kSize = 52;
    uint32_t dwSize = 0;
    uint16_t wVersion = 0;
    uint16_t wReserved = 0;
    DCB dcb;
    uint32_t dwProviderSubType = 0;
    uint32_t dwProviderOffset = 0;
    uint32_t dwProviderSize = 0;
};

// Device status filled by error clearing.
struct COMSTAT {
    uint32_t Flags = 0;  // fCtsHold .. fTxim bits
    uint32_t cbInQue = 0;
    uint32_t cbOutQue = 0;
};

// An event object of a driver: manual-reset, created not signalled. 0 is none.
using EventHandle = uint32_t;

// The record of one asynchronous operation. The driver keeps whatever native
// state it needs behind hEvent; Internal holds the completion status (0 for
// success) and InternalHigh the byte count, as on Windows.
struct OVERLAPPED {
    uint32_t Internal = 0;
    uint32_t InternalHigh = 0;
    uint32_t Offset = 0;
    uint32_t OffsetHigh = 0;
    EventHandle hEvent = 0;
};

// The constants carry their Windows names and values. Where <windows.h> came
// first it has defined them already, as macros of the same values.
#if !defined(_WIN32) || !defined(EV_RXCHAR)
// Parity.
constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
// Stop bits.
constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;
// Control modes of DTR and RTS.
constexpr uint8_t DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
constexpr uint8_t RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                  RTS_CONTROL_TOGGLE = 3;

// Purge flags.
constexpr uint32_t PURGE_TXABORT = 0x0001, PURGE_RXABORT = 0x0002, PURGE_TXCLEAR = 0x0004,
                   PURGE_RXCLEAR = 0x0008;

// Event words of the comm-event wait.
constexpr uint32_t EV_RXCHAR = 0x0001, EV_RXFLAG = 0x0002, EV_TXEMPTY = 0x0004, EV_CTS = 0x0008,
                   EV_DSR = 0x0010, EV_RLSD = 0x0020, EV_BREAK = 0x0040, EV_ERR = 0x0080,
                   EV_RING = 0x0100, EV_PERR = 0x0200;

// Modem-status word.
constexpr uint32_t MS_CTS_ON = 0x0010, MS_DSR_ON = 0x0020, MS_RING_ON = 0x0040,
                   MS_RLSD_ON = 0x0080;

// Line errors in the error word of error clearing.
constexpr uint32_t CE_RXOVER = 0x0001, CE_OVERRUN = 0x0002, CE_RXPARITY = 0x0004,
                   CE_FRAME = 0x0008, CE_BREAK = 0x0010;

// Escape functions for the modem lines.
constexpr uint32_t SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6;
#endif

}  // namespace vornik
