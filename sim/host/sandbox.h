// The sandbox of one run: an X-Plane-like folder tree with the plugin, its
// data folder, the public Documents folder with the profile folder, and an
// aircraft folder.
#pragma once

#include <string>

namespace Orv::Host {

class Sandbox {
public:
    Sandbox() = default;
    ~Sandbox();  // removes a temporary root
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Uses root (created if missing) or, when it is empty, a fresh temporary
    // folder that the destructor removes.
    bool Create(const std::string& root, std::string* error);

    // Stages the tree.  dataSource and profileSource may be empty (nothing
    // to copy); skipProfile leaves out a top-level "profile" folder of the
    // data source (the sample keeps the profile beside the data).
    bool Stage(const std::string& pluginSource, const std::string& dataSource, bool skipProfile,
               const std::string& profileSource, std::string* error);

    // The absolute, canonical root.
    const std::string& Root() const { return root_; }
    // The staged copy of the plugin.
    const std::string& PluginPath() const { return pluginPath_; }
    std::string PublicDocuments() const;

    // A path of a scenario, relative to the root, as an absolute path.
    // Refuses absolute paths and paths that leave the root.
    bool Resolve(const std::string& relative, std::string* absolute, std::string* error) const;

    // text with every mention of the root made relative to it.
    std::string Scrub(const std::string& text) const;

private:
    std::string root_;
    std::string pluginPath_;
    bool temporary_ = false;
};

}  // namespace Orv::Host
