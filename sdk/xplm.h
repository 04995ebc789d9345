// Declarations of the X-Plane plugin SDK functions that OrvLink calls and
// the entry points it exports, written from the SDK's documented signatures.
#pragma once

#if defined(_WIN32)
#define ORV_PLUGIN_API extern "C" __declspec(dllexport)
#if defined(ORV_XPLM_BUILD)
#define ORV_XPLM_API __declspec(dllexport)
#else
#define ORV_XPLM_API __declspec(dllimport)
#endif
#else
#define ORV_PLUGIN_API extern "C" __attribute__((visibility("default")))
#define ORV_XPLM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int XPLMPluginID;
typedef void* XPLMDataRef;
typedef void* XPLMCommandRef;
typedef int XPLMCommandKeyID;
typedef int XPLMCommandButtonID;
typedef int XPLMDataTypeID;

enum {
    xplmType_Unknown = 0,
    xplmType_Int = 1,
    xplmType_Float = 2,
    xplmType_Double = 4,
    xplmType_FloatArray = 8,
    xplmType_IntArray = 16,
    xplmType_Data = 32
};

#define XPLM_PLUGIN_XPLANE 0
#define XPLM_MSG_PLANE_CRASHED 101
#define XPLM_MSG_PLANE_LOADED 102
#define XPLM_MSG_AIRPORT_LOADED 103
#define XPLM_MSG_SCENERY_LOADED 104
#define XPLM_MSG_AIRPLANE_COUNT_CHANGED 105
#define XPLM_MSG_PLANE_UNLOADED 106
#define XPLM_USER_AIRCRAFT 0

typedef float (*XPLMFlightLoop_f)(float inElapsedSinceLastCall,
                                  float inElapsedTimeSinceLastFlightLoop, int inCounter,
                                  void* inRefcon);

// Processing
ORV_XPLM_API void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                                 void* inRefcon);
ORV_XPLM_API void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void* inRefcon);

// Data access
ORV_XPLM_API XPLMDataRef XPLMFindDataRef(const char* inDataRefName);
ORV_XPLM_API XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef);
ORV_XPLM_API int XPLMGetDatai(XPLMDataRef inDataRef);
ORV_XPLM_API void XPLMSetDatai(XPLMDataRef inDataRef, int inValue);
ORV_XPLM_API float XPLMGetDataf(XPLMDataRef inDataRef);
ORV_XPLM_API void XPLMSetDataf(XPLMDataRef inDataRef, float inValue);
ORV_XPLM_API double XPLMGetDatad(XPLMDataRef inDataRef);
ORV_XPLM_API void XPLMSetDatad(XPLMDataRef inDataRef, double inValue);
ORV_XPLM_API int XPLMGetDatavi(XPLMDataRef inDataRef, int* outValues, int inOffset, int inMax);
ORV_XPLM_API void XPLMSetDatavi(XPLMDataRef inDataRef, int* inValues, int inoffset, int inCount);
ORV_XPLM_API int XPLMGetDatavf(XPLMDataRef inDataRef, float* outValues, int inOffset, int inMax);
ORV_XPLM_API void XPLMSetDatavf(XPLMDataRef inDataRef, float* inValues, int inoffset, int inCount);

// Commands
ORV_XPLM_API XPLMCommandRef XPLMFindCommand(const char* inName);
ORV_XPLM_API void XPLMCommandBegin(XPLMCommandRef inCommand);
ORV_XPLM_API void XPLMCommandEnd(XPLMCommandRef inCommand);
ORV_XPLM_API void XPLMCommandOnce(XPLMCommandRef inCommand);
ORV_XPLM_API void XPLMCommandKeyStroke(XPLMCommandKeyID inKey);
ORV_XPLM_API void XPLMCommandButtonPress(XPLMCommandButtonID inButton);
ORV_XPLM_API void XPLMCommandButtonRelease(XPLMCommandButtonID inButton);

// Utilities, planes
ORV_XPLM_API void XPLMSpeakString(const char* inString);
ORV_XPLM_API void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath);

#ifdef __cplusplus
}
#endif

// The plugin's exports.
ORV_PLUGIN_API int XPluginStart(char* outName, char* outSignature, char* outDescription);
ORV_PLUGIN_API void XPluginStop(void);
ORV_PLUGIN_API int XPluginEnable(void);
ORV_PLUGIN_API void XPluginDisable(void);
ORV_PLUGIN_API void XPluginReceiveMessage(XPLMPluginID inFrom, int inMessage, void* inParam);
