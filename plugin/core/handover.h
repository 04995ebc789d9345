// The plugin's half of the display-device hand-over: the named events that
// ask the service program to stop or start the maker's display service.
#pragma once

namespace Orv::UTILITY {

// Signals the hand-over event that asks the service program to stop
// (pause true) or start again (pause false) the maker's display service.
// Does nothing when the event cannot be opened.
void PauseResumeGlassLinkService(bool pause);

}  // namespace Orv::UTILITY
