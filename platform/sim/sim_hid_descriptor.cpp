#include "platform/sim/sim_hid_descriptor.h"

#include <algorithm>
#include <map>

namespace Orv::Sim {

namespace {

using Platform::HidReportType;

constexpr uint32_t kMaxFieldSize = 32;
constexpr uint32_t kMaxReportBits = 8 * 1024;
constexpr size_t kMaxUsages = 4096;
constexpr int kMaxDepth = 16;

struct Globals {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct Locals {
    std::vector<HidUsage> usages;
    bool haveMin = false;
    uint32_t usageMin = 0;
    void Clear() {
        usages.clear();
        haveMin = false;
    }
};

int TypeIndex(HidReportType type) {
    return static_cast<int>(type);
}

uint32_t Unsigned(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

int32_t Signed(const uint8_t* p, int n) {
    uint32_t v = Unsigned(p, n);
    if (n == 1)
        return static_cast<int8_t>(v);
    if (n == 2)
        return static_cast<int16_t>(v);
    return static_cast<int32_t>(v);
}

HidUsage MakeUsage(uint32_t value, int bytes, uint16_t page) {
    if (bytes == 4)
        return HidUsage{static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)};
    return HidUsage{page, static_cast<uint16_t>(value)};
}

uint32_t ReadBits(const uint8_t* data, uint32_t bytes, uint32_t offset, uint32_t size) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t bit = offset + i;
        if (bit / 8 >= bytes)
            break;
        if ((data[bit / 8] >> (bit % 8)) & 1)
            value |= 1u << i;
    }
    return value;
}

void WriteBits(uint8_t* data, uint32_t bytes, uint32_t offset, uint32_t size, uint32_t value) {
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t bit = offset + i;
        if (bit / 8 >= bytes)
            break;
        if ((value >> i) & 1)
            data[bit / 8] = static_cast<uint8_t>(data[bit / 8] | (1u << (bit % 8)));
        else
            data[bit / 8] = static_cast<uint8_t>(data[bit / 8] & ~(1u << (bit % 8)));
    }
}

}  // namespace

bool HidField::HasUsageOnPage(uint16_t page) const {
    return std::any_of(usages.begin(), usages.end(),
                       [&](const HidUsage& x) { return x.page == page; });
}

HidUsage HidField::VariableUsage(uint32_t i) const {
    if (usages.empty())
        return HidUsage{};
    return usages[std::min<size_t>(i, usages.size() - 1)];
}

bool HidDescriptor::Parse(const uint8_t* data, size_t size, std::string* error) {
    fields_.clear();
    usesReportIds_ = false;
    topUsagePage_ = topUsage_ = collections_ = 0;
    std::fill(std::begin(lengths_), std::end(lengths_), 0);

    auto fail = [&](size_t at, const std::string& what) {
        *error = what + " at byte " + std::to_string(at);
        fields_.clear();
        return false;
    };

    Globals globals;
    std::vector<Globals> stack;
    Locals locals;
    int depth = 0;
    // Bits used so far per (type, report id).
    std::map<std::pair<int, uint8_t>, uint32_t> bits;
    bool sawMain = false;

    size_t i = 0;
    while (i < size) {
        size_t at = i;
        uint8_t prefix = data[i++];
        if (prefix == 0xFE)
            return fail(at, "long item");
        int n = prefix & 0x03;
        if (n == 3)
            n = 4;
        if (i + static_cast<size_t>(n) > size)
            return fail(at, "item cut short");
        const uint8_t* v = data + i;
        i += static_cast<size_t>(n);
        uint32_t u = Unsigned(v, n);
        int type = (prefix >> 2) & 0x03;
        int tag = prefix >> 4;

        if (type == 0) {  // main
            switch (tag) {
                case 0x8:    // Input
                case 0x9:    // Output
                case 0xB: {  // Feature
                    HidReportType reportType = tag == 0x8   ? HidReportType::Input
                                               : tag == 0x9 ? HidReportType::Output
                                                            : HidReportType::Feature;
                    if (globals.reportSize == 0 || globals.reportSize > kMaxFieldSize)
                        return fail(at, "report size " + std::to_string(globals.reportSize));
                    if (usesReportIds_ && globals.reportId == 0)
                        return fail(at, "main item without report id");
                    HidField field;
                    field.type = reportType;
                    field.reportId = globals.reportId;
                    field.size = globals.reportSize;
                    field.count = globals.reportCount;
                    field.constant = (u & 0x01) != 0;
                    field.variable = (u & 0x02) != 0;
                    field.logicalMin = globals.logicalMin;
                    field.logicalMax = globals.logicalMax;
                    field.usages = locals.usages;
                    uint32_t& used = bits[{TypeIndex(reportType), globals.reportId}];
                    field.bitOffset = used;
                    uint64_t total = static_cast<uint64_t>(used) +
                                     static_cast<uint64_t>(field.size) * field.count;
                    if (total > kMaxReportBits)
                        return fail(at, "report too long");
                    used = static_cast<uint32_t>(total);
                    if (field.count != 0)
                        fields_.push_back(std::move(field));
                    sawMain = true;
                    break;
                }
                case 0xA:  // Collection
                    if (++depth > kMaxDepth)
                        return fail(at, "collections nested too deeply");
                    if (depth == 1 && collections_ == 0) {
                        topUsagePage_ =
                            locals.usages.empty() ? globals.usagePage : locals.usages.front().page;
                        topUsage_ = locals.usages.empty() ? 0 : locals.usages.front().id;
                    }
                    ++collections_;
                    break;
                case 0xC:  // End Collection
                    if (--depth < 0)
                        return fail(at, "end collection without collection");
                    break;
                default:
                    return fail(at, "unknown main item");
            }
            locals.Clear();
        } else if (type == 1) {  // global
            switch (tag) {
                case 0x0:
                    globals.usagePage = static_cast<uint16_t>(u);
                    break;
                case 0x1:
                    globals.logicalMin = Signed(v, n);
                    break;
                case 0x2:
                    // A maximum is signed only when the minimum is negative.
                    globals.logicalMax =
                        globals.logicalMin < 0 ? Signed(v, n) : static_cast<int32_t>(u);
                    break;
                case 0x3:  // physical minimum, maximum, unit exponent, unit
                case 0x4:
                case 0x5:
                case 0x6:
                    break;
                case 0x7:
                    globals.reportSize = u;
                    break;
                case 0x8:
                    if (u == 0 || u > 0xFF)
                        return fail(at, "report id " + std::to_string(u));
                    if (sawMain && !usesReportIds_)
                        return fail(at, "report id after reports without one");
                    usesReportIds_ = true;
                    globals.reportId = static_cast<uint8_t>(u);
                    break;
                case 0x9:
                    if (u > kMaxReportBits)
                        return fail(at, "report count " + std::to_string(u));
                    globals.reportCount = u;
                    break;
                case 0xA:
                    if (stack.size() >= static_cast<size_t>(kMaxDepth))
                        return fail(at, "push too deep");
                    stack.push_back(globals);
                    break;
                case 0xB:
                    if (stack.empty())
                        return fail(at, "pop without push");
                    globals = stack.back();
                    stack.pop_back();
                    break;
                default:
                    return fail(at, "unknown global item");
            }
        } else if (type == 2) {  // local
            switch (tag) {
                case 0x0:
                    if (locals.usages.size() >= kMaxUsages)
                        return fail(at, "too many usages");
                    locals.usages.push_back(MakeUsage(u, n, globals.usagePage));
                    break;
                case 0x1:
                    locals.haveMin = true;
                    locals.usageMin = u;
                    break;
                case 0x2: {
                    if (!locals.haveMin)
                        return fail(at, "usage maximum without minimum");
                    HidUsage first = MakeUsage(locals.usageMin, n, globals.usagePage);
                    HidUsage last = MakeUsage(u, n, globals.usagePage);
                    if (last.id < first.id || first.page != last.page)
                        return fail(at, "bad usage range");
                    if (locals.usages.size() + (last.id - first.id + 1u) > kMaxUsages)
                        return fail(at, "too many usages");
                    for (uint32_t id = first.id; id <= last.id; ++id)
                        locals.usages.push_back(HidUsage{first.page, static_cast<uint16_t>(id)});
                    locals.haveMin = false;
                    break;
                }
                case 0x3:  // designator and string indexes, delimiter
                case 0x4:
                case 0x5:
                case 0x7:
                case 0x8:
                case 0x9:
                case 0xA:
                    break;
                default:
                    return fail(at, "unknown local item");
            }
        } else {
            return fail(at, "reserved item type");
        }
    }
    if (depth != 0)
        return fail(size, "collection without end");

    for (const auto& [key, used] : bits) {
        if (used == 0)
            continue;
        uint32_t bytes = (used + 7) / 8 + 1;
        if (bytes > 0xFFFF)
            return fail(size, "report too long");
        uint16_t& length = lengths_[key.first];
        length = std::max<uint16_t>(length, static_cast<uint16_t>(bytes));
    }
    return true;
}

uint16_t HidDescriptor::ReportLength(HidReportType type) const {
    return lengths_[TypeIndex(type)];
}

Platform::HidCaps HidDescriptor::Caps() const {
    Platform::HidCaps caps;
    caps.usage = topUsage_;
    caps.usagePage = topUsagePage_;
    caps.inputReportByteLength = lengths_[0];
    caps.outputReportByteLength = lengths_[1];
    caps.featureReportByteLength = lengths_[2];
    caps.numberLinkCollectionNodes = collections_;
    for (const HidField& f : fields_) {
        if (f.constant)
            continue;
        bool button = f.size == 1 || !f.variable;
        if (f.type == HidReportType::Input) {
            if (button)
                ++caps.numberInputButtonCaps;
            else
                ++caps.numberInputValueCaps;
        } else if (f.type == HidReportType::Feature && !button) {
            ++caps.numberFeatureValueCaps;
        }
    }
    return caps;
}

uint32_t HidDescriptor::MaxUsageListLength(HidReportType type, uint16_t page) const {
    uint32_t total = 0;
    for (const HidField& f : fields_) {
        if (f.type != type || f.constant)
            continue;
        if (f.variable) {
            if (f.size != 1)
                continue;
            for (uint32_t k = 0; k < f.count; ++k)
                if (f.VariableUsage(k).page == page)
                    ++total;
        } else {
            if (f.HasUsageOnPage(page))
                total += f.count;
        }
    }
    return total;
}

uint32_t HidDescriptor::GetUsages(HidReportType type, uint16_t page, uint16_t* usages,
                                  uint32_t* usageLength, const uint8_t* report,
                                  uint32_t length) const {
    if (usageLength == nullptr || report == nullptr)
        return Platform::kHidpStatusNull;
    uint16_t expected = ReportLength(type);
    if (expected == 0)
        return Platform::kHidpStatusInvalidReportType;
    if (length != expected)
        return Platform::kHidpStatusInvalidReportLength;
    uint8_t id = report[0];
    bool known = false;
    for (const HidField& f : fields_)
        if (f.type == type && f.reportId == id)
            known = true;
    if (!known)
        return Platform::kHidpStatusIncompatibleReportId;

    const uint8_t* payload = report + 1;
    uint32_t payloadBytes = length - 1;
    uint32_t room = *usageLength;
    uint32_t found = 0;
    bool pageSeen = false;
    auto add = [&](uint16_t usage) {
        if (found < room && usages != nullptr)
            usages[found] = usage;
        ++found;
    };
    for (const HidField& f : fields_) {
        if (f.type != type || f.reportId != id || f.constant)
            continue;
        if (f.variable) {
            if (f.size != 1)
                continue;
            for (uint32_t k = 0; k < f.count; ++k) {
                HidUsage usage = f.VariableUsage(k);
                if (usage.page != page)
                    continue;
                pageSeen = true;
                if (ReadBits(payload, payloadBytes, f.bitOffset + k, 1) != 0)
                    add(usage.id);
            }
        } else {
            for (uint32_t k = 0; k < f.count; ++k) {
                uint32_t raw = ReadBits(payload, payloadBytes, f.bitOffset + k * f.size, f.size);
                int64_t value = raw;
                if (f.logicalMin < 0 && f.size < 32 && (raw >> (f.size - 1)) != 0)
                    value = static_cast<int64_t>(raw) - (int64_t{1} << f.size);
                if (value < f.logicalMin || value > f.logicalMax)
                    continue;
                size_t index = static_cast<size_t>(value - f.logicalMin);
                if (index >= f.usages.size() || f.usages[index].page != page)
                    continue;
                pageSeen = true;
                add(f.usages[index].id);
            }
            if (f.HasUsageOnPage(page))
                pageSeen = true;
        }
    }
    if (!pageSeen) {
        *usageLength = 0;
        return Platform::kHidpStatusUsageNotFound;
    }
    *usageLength = found;
    if (found > room)
        return Platform::kHidpStatusBufferTooSmall;
    return Platform::kHidpStatusSuccess;
}

std::vector<uint8_t> HidDescriptor::BuildInputReport(uint16_t page,
                                                     const std::vector<uint16_t>& on) const {
    const HidField* first = nullptr;
    for (const HidField& f : fields_) {
        if (f.type != HidReportType::Input || f.constant)
            continue;
        bool has =
            f.variable ? f.size == 1 && f.VariableUsage(0).page == page : f.HasUsageOnPage(page);
        if (has) {
            first = &f;
            break;
        }
    }
    if (first == nullptr)
        return {};
    std::vector<uint8_t> report(ReportLength(HidReportType::Input), 0);
    report[0] = first->reportId;
    uint8_t* payload = report.data() + 1;
    uint32_t payloadBytes = static_cast<uint32_t>(report.size() - 1);
    std::vector<uint16_t> pending = on;
    for (const HidField& f : fields_) {
        if (f.type != HidReportType::Input || f.reportId != first->reportId || f.constant)
            continue;
        if (f.variable) {
            if (f.size != 1)
                continue;
            for (uint32_t k = 0; k < f.count; ++k) {
                HidUsage usage = f.VariableUsage(k);
                bool set =
                    usage.page == page && std::find(on.begin(), on.end(), usage.id) != on.end();
                WriteBits(payload, payloadBytes, f.bitOffset + k, 1, set ? 1 : 0);
            }
        } else {
            uint32_t slot = 0;
            for (auto it = pending.begin(); it != pending.end() && slot < f.count;) {
                auto u = std::find_if(f.usages.begin(), f.usages.end(), [&](const HidUsage& x) {
                    return x.page == page && x.id == *it;
                });
                if (u == f.usages.end()) {
                    ++it;
                    continue;
                }
                int64_t value = f.logicalMin + (u - f.usages.begin());
                WriteBits(payload, payloadBytes, f.bitOffset + slot * f.size, f.size,
                          static_cast<uint32_t>(value));
                ++slot;
                it = pending.erase(it);
            }
        }
    }
    return report;
}

}  // namespace Orv::Sim
