// The DCB record that SetCommState takes, built from the line settings alone. Built on Windows
// only, and included only by the Windows serial backend and its test: it brings <windows.h>.
//
// The record starts all zero, so that nothing the device had before (another program's flow
// control, an error character, XON/XOFF limits) carries over. Binary mode, no flow control of any
// kind, DTR and RTS held off; parity checking as the settings ask, which the program asks for on
// every row, the no-parity row too, where there is no parity bit to check.
//
//   BuildDcb   the record for SetCommState
#pragma once

#include "platform/serial/serial_device.h"

// After our own header: <windows.h> defines NOPARITY, CE_RXOVER and the like as macros, of the
// same values as ours.
#include <windows.h>

namespace platform {

DCB BuildDcb(const LineSettings& settings);

}  // namespace platform
