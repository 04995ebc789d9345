// Hooks between the parts of the simulation platform (not for its users).
#pragma once

namespace Orv::Sim::Detail {

// Called by Reset: back to the state of a fresh run.
void ResetKeyboard();
void ResetKnownFolders();
void ResetServices();
void ResetDebugOutput();
void ResetDeviceBus();
void ResetProgramPath();

// Whether the calling thread has initialised COM (the XML port needs it).
bool ComInitialized();

}  // namespace Orv::Sim::Detail
