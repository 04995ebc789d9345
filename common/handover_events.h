// The two named events of the display-device hand-over between the plugin
// and the service program.  The service program creates them; the plugin
// opens and signals them.
#pragma once

namespace Orv {

// The plugin is about to open the display devices: stop the maker's display service.
inline constexpr wchar_t kPauseEventName[] = L"Global\\{5B1E07C2-94AD-4F3B-8C61-2E7A90D4B318}";
// The plugin has closed the display devices: start the maker's display service again.
inline constexpr wchar_t kResumeEventName[] = L"Global\\{C3F8A415-6D20-4B97-A5E2-71B9D06C4F8A}";

}  // namespace Orv
