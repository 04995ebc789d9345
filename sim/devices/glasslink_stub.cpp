#include "sim/devices/glasslink_stub.h"

#include <algorithm>

namespace Orv::SimDevices {

Sim::RequestResult GlassLinkStubDevice::OnDisplayRequest(const Sim::DisplayRequest& request,
                                                         Sim::PendingRequests& /*pending*/) {
    switch (request.op) {
        case Sim::DisplayRequest::Op::IoControl:
            return Sim::RequestResult::Output({});
        case Sim::DisplayRequest::Op::Write:
            return Sim::RequestResult::Written(static_cast<uint32_t>(request.input.size()));
        case Sim::DisplayRequest::Op::Read:
            reads_.push_back(request.id);
            return Sim::RequestResult::Pending();
    }
    return Sim::RequestResult::Fail(Platform::kErrorInvalidFunction);
}

void GlassLinkStubDevice::OnRequestEnded(Sim::RequestId id) {
    std::erase(reads_, id);
}

}  // namespace Orv::SimDevices
