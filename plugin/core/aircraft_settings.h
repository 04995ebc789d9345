// The aircraft-specific limits that X-Plane does not publish as datarefs,
// read from the user aircraft's .acf file on every user-aircraft load.
#pragma once

#include <cstdint>
#include <istream>

namespace Orv {

struct AircraftSettingsRecord {
    uint32_t isHelicopter;      // 1 when the aircraft's path contains "helicopter"
    float lowOilPressureLimit;  // psi: acf/_green_lo_oilP, 15 where it is 0
    float lowRotorRpmLimit;     // rpm: 0.95 x acf/_RSC_mingreen_ENGN, helicopters only
};

// The process-wide record, all zero until the first user-aircraft load.
extern AircraftSettingsRecord AircraftSettings;

// Resets the record and refills it from the user aircraft's file.
void OrvAcfLoadSettings();

// The file-reading part of the loader: fills the two limits of settings
// from an .acf text stream (isHelicopter must be set already).
void OrvAcfReadLimits(std::istream& file, AircraftSettingsRecord& settings);

}  // namespace Orv
