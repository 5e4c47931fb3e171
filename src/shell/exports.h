// The functions the executable exports by name. The .def file that exports them is read
// by the linker alone: link-time optimisation would otherwise take them for internal
// functions and leave the export table pointing nowhere.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#define EXPORTED_FUNCTION __attribute__((externally_visible))
#else
#define EXPORTED_FUNCTION
#endif
