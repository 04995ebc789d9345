// The module port: the file of the module that holds an address.
#include "platform/module.h"

#include <new>

#include "platform/win32/win32.h"

namespace Orv::Platform {

namespace {

// The longest path the wide file APIs take, with its terminator.
constexpr DWORD kMaxPathChars = 32768;

class Win32Module final : public IModule {
public:
    uint32_t GetModuleFileName(const void* addressInModule, std::wstring* path) override {
        if (path == nullptr)
            return ERROR_INVALID_PARAMETER;
        path->clear();
        // A null address names the program itself, as for GetModuleHandleExW.
        HMODULE module = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  static_cast<LPCWSTR>(addressInModule), &module))
            return ::GetLastError();
        try {
            // A name that fills the buffer may have been cut: grow and ask again.
            for (DWORD size = MAX_PATH; size <= kMaxPathChars; size *= 2) {
                path->resize(size);
                DWORD length = ::GetModuleFileNameW(module, path->data(), size);
                if (length == 0) {
                    DWORD error = ::GetLastError();
                    path->clear();
                    return error != 0 ? error : ERROR_INVALID_HANDLE;
                }
                if (length < size) {
                    path->resize(length);
                    return ERROR_SUCCESS;
                }
            }
        } catch (const std::bad_alloc&) {
            path->clear();
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        path->clear();
        return ERROR_INSUFFICIENT_BUFFER;
    }
};

}  // namespace

IModule& Module() {
    static Win32Module instance;
    return instance;
}

}  // namespace Orv::Platform
