// <windows.h> for the win32 backends, without the macros that would rename
// the ports' operations (CreateEvent, OpenEvent, GetModuleFileName,
// MapVirtualKey): the backends call the W or A functions by their full name.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateEvent
#undef OpenEvent
#undef GetModuleFileName
#undef MapVirtualKey
#undef OutputDebugString
#undef DispatchMessage
#undef GetMessage
#undef PostThreadMessage
#undef DefWindowProc
#undef RegisterClass
#undef OpenSCManager
#undef OpenService
#undef CreateService
#undef StartService
#undef QueryServiceStatus
#undef StartServiceCtrlDispatcher
#undef RegisterServiceCtrlHandlerEx
