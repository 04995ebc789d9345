#include "plugin/core/aircraft_settings.h"

#include <fstream>
#include <sstream>
#include <string>

#include "plugin/core/lower_case.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace Orv {

AircraftSettingsRecord AircraftSettings = {0, 0.0f, 0.0f};

namespace {

// The third whitespace-separated field of a line as a float.  A field that
// is missing or not a number gives 0, as a failed stream extraction leaves it.
float ThirdField(const std::string& line) {
    std::istringstream fields(line);
    std::string skipped;
    float value = 0.0f;
    fields >> skipped >> skipped >> value;
    return fields.fail() ? 0.0f : value;
}

}  // namespace

void OrvAcfReadLimits(std::istream& file, AircraftSettingsRecord& settings) {
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (settings.isHelicopter == 1 &&
            line.find("acf/_RSC_mingreen_ENGN") != std::string::npos) {
            settings.lowRotorRpmLimit = ThirdField(line);
            settings.lowRotorRpmLimit = settings.lowRotorRpmLimit * 0.95f;
        }
        if (line.find("acf/_green_lo_oilP") != std::string::npos) {
            settings.lowOilPressureLimit = ThirdField(line);
            if (settings.lowOilPressureLimit == 0.0f)
                settings.lowOilPressureLimit = 15.0f;
        }
    }
}

void OrvAcfLoadSettings() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_AIRCRAFT);
    AircraftSettings.isHelicopter = 0;
    AircraftSettings.lowOilPressureLimit = 0;
    AircraftSettings.lowRotorRpmLimit = 0.0f;

    char fileName[256] = {};
    char path[512] = {};
    XPLMGetNthAircraftModel(XPLM_USER_AIRCRAFT, fileName, path);
    // X-Plane fills the buffers; terminate them in case it filled them whole.
    fileName[sizeof fileName - 1] = '\0';
    path[sizeof path - 1] = '\0';
    WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_AIRCRAFT, TRACE_KIND_MESSAGE,
               L"The aircraft name: %S, path: %S", fileName, path);

    std::string lowerPath = UTILITY::ConvertStringToLower(std::string(path));
    AircraftSettings.isHelicopter = lowerPath.find("helicopter") != std::string::npos ? 1 : 0;

    // Binary mode with the carriage returns removed line by line reads the
    // same lines as text mode on every platform.
    std::ifstream file(path, std::ios::in | std::ios::binary);
    OrvAcfReadLimits(file, AircraftSettings);
}

}  // namespace Orv
