// --view: what a feature report makes a panel show, as one line of text.
// The host keeps the last line per device and prints the lines that a
// frame changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Orv::Host {

// The panel of that product id after it received the report: gear lamps,
// radio digits, autopilot rows and LEDs, lit lenses.  A report the panel
// would not understand is shown as its bytes.
std::string DescribeFeatureReport(uint16_t productId, const std::vector<uint8_t>& report);

// The joystick's MFD: its three lines as the pilot sees them, 16 columns
// each between bars (0xFC and 0xFB, the editing marks, as arrows; another
// byte the terminal cannot show as '?'), then the shift indicator.
std::string DescribeMfd(const std::array<std::string, 3>& lines, uint32_t shift);

// The bytes in lower-case hexadecimal, two digits each, as the event log
// writes a feature report.
std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace Orv::Host
