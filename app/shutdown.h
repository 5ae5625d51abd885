// ShutdownSystem: the station's power-off. A forced request first ends every running desktop shell
// (file name "explorer.exe", in any letter case, judged by the part after the last '\' or '/'),
// then asks the system to shut down; an unforced one only asks. The routine gives up before asking,
// with 0, when the process functions or the snapshot cannot be had, and restarts nothing it ended.
#pragma once

#include <cstdint>

#include "platform/process/process_control.h"

// flags are the system's shutdown flags, passed on unchanged with reason 0. Returns the system's
// answer (non-zero: accepted), or 0 when the routine gave up before asking.
int ShutdownSystem(std::uint32_t flags, platform::ProcessControl& system);
