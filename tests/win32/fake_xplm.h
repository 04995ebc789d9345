// The host side of the stand-in XPLM_64.dll (tests/win32/fake_xplm.cpp).
#pragma once

#if defined(ORV_FAKE_XPLM_BUILD)
#define ORV_FAKE_XPLM_API __declspec(dllexport)
#else
#define ORV_FAKE_XPLM_API __declspec(dllimport)
#endif

extern "C" {
// A fresh world (no flight loops, frame 0) and an empty event record.
ORV_FAKE_XPLM_API void OrvXSimReset();
// One frame of dt seconds: the due flight-loop callbacks run on this thread.
ORV_FAKE_XPLM_API void OrvXSimRunFrame(float dt);
ORV_FAKE_XPLM_API int OrvXSimFrameCount();
ORV_FAKE_XPLM_API int OrvXSimFlightLoopCount();
// Moves what the plugin did since the last call (one line per command,
// dataref write, key stroke, joystick button or spoken text) into buffer,
// cut to size - 1 characters; returns the full length.
ORV_FAKE_XPLM_API int OrvXSimTakeEvents(char* buffer, int size);
}
