// Where a catalogue file name ("bin\ddr-test-kt310.bin") is on this
// platform's file system: as written on Windows, with "/" for "\" elsewhere.
#pragma once

#include <string>

std::string firmware_path_on_disk(const char* catalogue_name);
