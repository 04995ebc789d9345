// Fuzz target: the virtual bus's report descriptor parser with arbitrary
// descriptors, and the queries hid.dll answers from a parsed one (the bytes
// after the first 0xEE 0xEE pair are taken as a report).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_hid_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using Orv::Platform::HidReportType;
    size_t split = size;
    for (size_t i = 0; i + 1 < size; ++i)
        if (data[i] == 0xEE && data[i + 1] == 0xEE) {
            split = i;
            break;
        }
    Orv::Sim::HidDescriptor descriptor;
    std::string error;
    if (!descriptor.Parse(data, split, &error))
        return 0;
    Orv::Platform::HidCaps caps = descriptor.Caps();
    (void)caps;
    for (HidReportType type :
         {HidReportType::Input, HidReportType::Output, HidReportType::Feature}) {
        uint32_t room = descriptor.MaxUsageListLength(type, 9);
        std::vector<uint16_t> usages(room);
        std::vector<uint8_t> report;
        if (split + 2 <= size)
            report.assign(data + split + 2, data + size);
        // Sized as declared, and as given.
        for (size_t length : {static_cast<size_t>(descriptor.ReportLength(type)), report.size()}) {
            std::vector<uint8_t> r = report;
            r.resize(length);
            uint32_t count = room;
            if (!r.empty())
                descriptor.GetUsages(type, 9, usages.data(), &count, r.data(),
                                     static_cast<uint32_t>(r.size()));
        }
    }
    std::vector<uint16_t> on;
    for (size_t i = 0; i < split && i < 16; ++i)
        on.push_back(data[i]);
    descriptor.BuildInputReport(9, on);
    return 0;
}
