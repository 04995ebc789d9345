// The known-folders port on the shell's SHGetKnownFolderPath.
#include "platform/known_folders.h"
#include "platform/types.h"

#include <new>

#include "platform/win32/win32.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace Orv::Platform {

static_assert(kSOk == S_OK && kEFail == E_FAIL && kEInvalidArg == E_INVALIDARG);

namespace {

class Win32KnownFolders final : public IKnownFolders {
public:
    int32_t GetPublicDocumentsFolder(std::wstring* path) override {
        if (path == nullptr)
            return E_INVALIDARG;
        path->clear();
        PWSTR folder = nullptr;
        HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_PublicDocuments, 0, nullptr, &folder);
        if (SUCCEEDED(hr) && folder != nullptr) {
            try {
                path->assign(folder);
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            }
        } else if (SUCCEEDED(hr)) {
            hr = E_FAIL;
        }
        // The caller frees the buffer on failure too (it may be null then).
        ::CoTaskMemFree(folder);
        if (FAILED(hr)) {
            path->clear();
            return hr;
        }
        // Without a trailing separator, except for a drive root ("C:\").
        while (path->size() > 3 && (path->back() == L'\\' || path->back() == L'/'))
            path->pop_back();
        return S_OK;
    }
};

}  // namespace

IKnownFolders& KnownFolders() {
    static Win32KnownFolders instance;
    return instance;
}

}  // namespace Orv::Platform
