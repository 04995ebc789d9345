#include "plugin/core/handover.h"

#include "common/handover_events.h"
#include "platform/named_events.h"
#include "platform/sync.h"
#include "plugin/core/trace.h"

namespace Orv::UTILITY {

void PauseResumeGlassLinkService(bool pause) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    Platform::ScopedEvent event(Platform::NamedEvents().OpenEvent(
        Platform::kEventAllAccess, false, pause ? kPauseEventName : kResumeEventName));
    if (!event)
        return;  // the service program is not there
    Platform::Sync().SetEvent(event.get());
}

}  // namespace Orv::UTILITY
