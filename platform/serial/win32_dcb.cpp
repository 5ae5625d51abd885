#include "platform/serial/win32_dcb.h"

namespace platform {

// Our parity and stop-bit codes are the system's own: they go into the record unchanged.
static_assert(NOPARITY == 0 && ODDPARITY == 1 && EVENPARITY == 2);
static_assert(ONESTOPBIT == 0 && ONE5STOPBITS == 1 && TWOSTOPBITS == 2);

DCB BuildDcb(const LineSettings& settings) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = settings.baudRate;
  dcb.ByteSize = settings.byteSize;
  dcb.Parity = settings.parity;
  dcb.StopBits = settings.stopBits;
  // Codes are binary: no end-of-file byte ends a read.
  dcb.fBinary = 1;
  dcb.fParity = settings.parityCheck ? 1 : 0;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = 0;
  dcb.fTXContinueOnXoff = 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fErrorChar = 0;
  // A NUL byte is kept, not dropped.
  dcb.fNull = 0;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  // A receive error must not stop every later read and write until it is cleared.
  dcb.fAbortOnError = 0;
  return dcb;
}

}  // namespace platform
