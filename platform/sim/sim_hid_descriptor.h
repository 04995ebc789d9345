// A HID report descriptor parser: the report layout of a virtual device,
// and the answers hid.dll gives from it (capabilities, usage-list lengths,
// the usages that are on in a report).  Also builds input reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid.h"

namespace Orv::Sim {

struct HidUsage {
    uint16_t page = 0;
    uint16_t id = 0;
};

// One main item's fields: count fields of size bits each.
struct HidField {
    Platform::HidReportType type = Platform::HidReportType::Input;
    uint8_t reportId = 0;
    uint32_t bitOffset = 0;  // in the report, after the report id byte
    uint32_t size = 0;
    uint32_t count = 0;
    bool constant = false;
    bool variable = false;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    std::vector<HidUsage> usages;  // variable: one per field (the last repeats); array: the list

    // The usage of field i of a variable item.
    HidUsage VariableUsage(uint32_t i) const;
    // Whether one of the usages is on the page (for an array field).
    bool HasUsageOnPage(uint16_t page) const;
};

class HidDescriptor {
public:
    // False with a message for a descriptor this parser does not understand
    // (long items, unknown or misplaced items, unbalanced collections,
    // reports beyond the limits).
    bool Parse(const uint8_t* data, size_t size, std::string* error);

    const std::vector<HidField>& Fields() const { return fields_; }
    bool UsesReportIds() const { return usesReportIds_; }
    // The byte length of the longest report of the type, report id byte
    // included; 0 when there is no report of the type.
    uint16_t ReportLength(Platform::HidReportType type) const;
    Platform::HidCaps Caps() const;

    uint32_t MaxUsageListLength(Platform::HidReportType type, uint16_t page) const;
    // HidP_GetUsages for a whole report (report id first): a HID status.
    uint32_t GetUsages(Platform::HidReportType type, uint16_t page, uint16_t* usages,
                       uint32_t* usageLength, const uint8_t* report, uint32_t length) const;
    // An input report with the given usages of the page on: the first input
    // report that has fields of the page.  Empty when there is none.
    std::vector<uint8_t> BuildInputReport(uint16_t page, const std::vector<uint16_t>& on) const;

private:
    std::vector<HidField> fields_;
    bool usesReportIds_ = false;
    uint16_t lengths_[3] = {0, 0, 0};
    uint16_t topUsagePage_ = 0;
    uint16_t topUsage_ = 0;
    uint16_t collections_ = 0;
};

}  // namespace Orv::Sim
