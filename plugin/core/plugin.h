// The plugin's state shared by its entry points.
#pragma once

namespace Orv {

// The identity that XPluginStart hands X-Plane.
inline constexpr char kPluginName[] = "XValduraAvionex.1.2.6.0";
inline constexpr char kPluginSignature[] = "XValduraAvionex.1.2.6.0";
inline constexpr char kPluginDescription[] = "X-Plane 10 Plugin For Valdura Avionex V1.2.6.0";

}  // namespace Orv
