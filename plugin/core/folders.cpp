#include "plugin/core/folders.h"

#include "platform/known_folders.h"
#include "plugin/core/trace.h"

namespace Orv::UTILITY {

std::wstring GetProfileFolder() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    std::wstring folder;
    int32_t result = Platform::KnownFolders().GetPublicDocumentsFolder(&folder);
    if (Platform::Failed(result)) {
        WriteTrace(TRACE_LEVEL_FAILURE, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE,
                   L"Failed in calling SHGetKnownFolderPath due to 0x%x", result);
        return std::wstring();
    }
    return folder + L"\\Trimwise Profiles";
}

}  // namespace Orv::UTILITY
