#include "sim/host/sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace Orv::Host {

namespace {

constexpr const char* kPluginFolder = "X-Plane 10/Resources/plugins/XValduraAvionex";

bool CopyTree(const fs::path& from, const fs::path& to, bool skipProfile, std::string* error) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        *error = "cannot create " + to.string() + ": " + ec.message();
        return false;
    }
    for (const auto& entry : fs::directory_iterator(from, ec)) {
        if (skipProfile && entry.path().filename() == "profile" && entry.is_directory())
            continue;
        fs::copy(entry.path(), to / entry.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (ec) {
            *error = "cannot copy " + entry.path().string() + ": " + ec.message();
            return false;
        }
    }
    if (ec) {
        *error = "cannot read " + from.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

Sandbox::~Sandbox() {
    if (temporary_ && !root_.empty()) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

bool Sandbox::Create(const std::string& root, std::string* error) {
    std::error_code ec;
    if (root.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/avionex-sim-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            *error = "cannot create a temporary folder from " + pattern;
            return false;
        }
        temporary_ = true;
        root_ = buffer.data();
    } else {
        fs::create_directories(root, ec);
        if (ec) {
            *error = "cannot create the root " + root + ": " + ec.message();
            return false;
        }
        root_ = root;
    }
    fs::path canonical = fs::canonical(root_, ec);
    if (ec) {
        *error = "cannot resolve the root " + root_ + ": " + ec.message();
        return false;
    }
    root_ = canonical.string();
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
    return true;
}

std::string Sandbox::PublicDocuments() const {
    return root_ + "/Users/Public/Documents";
}

bool Sandbox::Stage(const std::string& pluginSource, const std::string& dataSource,
                    bool skipProfile, const std::string& profileSource, std::string* error) {
    std::error_code ec;
    fs::path base = fs::path(root_) / kPluginFolder;
    fs::create_directories(base / "64", ec);
    if (!ec)
        fs::create_directories(base / "data", ec);
    if (!ec)
        fs::create_directories(PublicDocuments(), ec);
    if (!ec)
        fs::create_directories(fs::path(root_) / "X-Plane 10/Aircraft", ec);
    if (ec) {
        *error = "cannot create the folders under " + root_ + ": " + ec.message();
        return false;
    }
    fs::path plugin = base / "64/lin.xpl";
    fs::copy_file(pluginSource, plugin, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        *error = "cannot copy the plugin " + pluginSource + ": " + ec.message();
        return false;
    }
    pluginPath_ = plugin.string();
    if (!dataSource.empty() && !CopyTree(dataSource, base / "data", skipProfile, error))
        return false;
    if (!profileSource.empty() &&
        !CopyTree(profileSource, fs::path(PublicDocuments()) / "Trimwise Profiles", false, error))
        return false;
    return true;
}

bool Sandbox::Resolve(const std::string& relative, std::string* absolute,
                      std::string* error) const {
    std::string path = relative;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty()) {
        *error = "empty path";
        return false;
    }
    if (path[0] == '/') {
        *error = "path must be relative to the root: " + relative;
        return false;
    }
    for (const auto& part : fs::path(path)) {
        if (part == "..") {
            *error = "path leaves the root: " + relative;
            return false;
        }
    }
    *absolute = root_ + "/" + path;
    return true;
}

std::string Sandbox::Scrub(const std::string& text) const {
    if (root_.empty() || text.find(root_) == std::string::npos)
        return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t at = text.find(root_, i);
        if (at == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        out.append(text, i, at - i);
        size_t end = at + root_.size();
        if (end < text.size() && (text[end] == '/' || text[end] == '\\'))
            ++end;  // "ROOT/x" becomes "x"
        else
            out.push_back('.');  // the root itself
        i = end;
    }
    return out;
}

}  // namespace Orv::Host
