#include "scanner/scanner_steps.h"

// Both scanners speak the same exchange; each kind keeps its own tables all the same.
const ScannerStep kCartonOpeningSteps[] = {
    {"\x1B[C", "\x1BH\r\n"},
    {"\x1B[B", "\x1BP\r\n"},
    {nullptr, nullptr},
};
const ScannerStep kCartonClosingSteps[] = {
    {"\x1BIA ", "\x1BK\r\n"},
    {"\x1B[A", "\x1BX\r\n"},
    {nullptr, nullptr},
};
const ScannerStep kLeafletOpeningSteps[] = {
    {"\x1B[C", "\x1BH\r\n"},
    {"\x1B[B", "\x1BP\r\n"},
    {nullptr, nullptr},
};
const ScannerStep kLeafletClosingSteps[] = {
    {"\x1BIA ", "\x1BK\r\n"},
    {"\x1B[A", "\x1BX\r\n"},
    {nullptr, nullptr},
};
