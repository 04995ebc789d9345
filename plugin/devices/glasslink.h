// The display-protocol device base.  The device manager owns each display
// device through a std::shared_ptr and hands out further references
// (CAvionex::GetGlassLink).
//
// Lifetime across threads: a holder of a reference may use the object
// after the device manager's lock is released (the gauge display panel's
// render thread does).  When the device is removed, the manager calls
// Uninitialize under its display lock and drops its own reference; the
// object is destroyed when the last reference goes, on the thread that drops
// it.  So a derived class must make every operation safe against a
// concurrent or earlier Uninitialize (its own lock around its handles):
// after Uninitialize operations fail with an error, they never touch a
// closed handle or freed memory.
#pragma once

#include <memory>
#include <string>

namespace Orv {

class CGlassLink {
public:
    explicit CGlassLink(const std::wstring& path) : devicePath(path) {}
    virtual ~CGlassLink() = default;
    CGlassLink(const CGlassLink&) = delete;
    CGlassLink& operator=(const CGlassLink&) = delete;

    // Opens the display interface: true on success.  The base has nothing
    // to open and returns true.
    virtual bool Initialize();
    // Closes it; called once, on removal or at shut-down.  The base does
    // nothing.
    virtual void Uninitialize();

    // The display interface's path (lower case, as enumerated).
    const std::wstring& GetDevicePath() const { return devicePath; }

    // The plugin's data folder, where its own configuration files are: the
    // folder "data" beside the folder that holds the plugin module, with a
    // trailing backslash ("<plugin folder>\\data\\").  Always true; when
    // the module path cannot be had, folder is "\\data\\" (relative to the
    // current drive's root).
    static bool GetConfigureFilePath(std::wstring& folder);

protected:
    std::wstring devicePath;
};

}  // namespace Orv
