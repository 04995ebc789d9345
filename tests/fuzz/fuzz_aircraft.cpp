// Fuzz target: the aircraft file reader with arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "plugin/core/aircraft_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    Orv::AircraftSettingsRecord settings = {size % 2 == 0 ? 1u : 0u, 0.0f, 0.0f};
    Orv::OrvAcfReadLimits(file, settings);
    return 0;
}
