// The known-folder port: a public Documents folder that the host sets.
#include <mutex>
#include <string>

#include "platform/known_folders.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_platform.h"

namespace Orv::Sim {
namespace {

struct Folders {
    std::mutex mu;
    std::wstring publicDocuments;
};

Folders& State() {
    static Folders* folders = new Folders;
    return *folders;
}

class SimKnownFolders final : public Platform::IKnownFolders {
public:
    int32_t GetPublicDocumentsFolder(std::wstring* path) override {
        if (!path)
            return Platform::kEInvalidArg;
        Folders& f = State();
        std::lock_guard lk(f.mu);
        *path = f.publicDocuments;
        return path->empty() ? Platform::kEFail : Platform::kSOk;
    }
};

}  // namespace

void SetPublicDocumentsFolder(const std::wstring& path) {
    std::wstring value = path;
    while (value.size() > 1 && (value.back() == L'/' || value.back() == L'\\'))
        value.pop_back();
    Folders& f = State();
    std::lock_guard lk(f.mu);
    f.publicDocuments = std::move(value);
}

void Detail::ResetKnownFolders() {
    Folders& f = State();
    std::lock_guard lk(f.mu);
    f.publicDocuments.clear();
}

}  // namespace Orv::Sim

namespace Orv::Platform {

IKnownFolders& KnownFolders() {
    static IKnownFolders* folders = new Sim::SimKnownFolders;
    return *folders;
}

}  // namespace Orv::Platform
