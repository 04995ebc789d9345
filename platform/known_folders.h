// Shell known folders.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::Platform {

class IKnownFolders {
public:
    virtual ~IKnownFolders() = default;
    // The public Documents folder (FOLDERID_PublicDocuments), without a
    // trailing separator.  Returns an HRESULT; the path is empty on failure.
    virtual int32_t GetPublicDocumentsFolder(std::wstring* path) = 0;
};

IKnownFolders& KnownFolders();

}  // namespace Orv::Platform
