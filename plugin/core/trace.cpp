#include "plugin/core/trace.h"

#include <cstdarg>
#include <new>

#include "platform/sync.h"
#include "platform/trace_provider.h"
#include "plugin/core/wide_format.h"

namespace Orv {

TraceState g_trace;

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}

namespace {

constexpr int kLineCharacters = 512;
constexpr int kMessageCharacters = 511;

uint32_t ReadDepth() {
    return static_cast<uint32_t>(
        reinterpret_cast<uintptr_t>(Platform::Sync().TlsGetValue(g_trace.tlsIndex.load(kRelaxed))));
}

// No trace session: every line is filtered out.
void ClearFilter() {
    g_trace.enabled.store(0, kRelaxed);
    g_trace.level.store(0, kRelaxed);
    g_trace.keywordMask.store(0, kRelaxed);
}

void StoreDepth(uint32_t depth) {
    Platform::Sync().TlsSetValue(g_trace.tlsIndex.load(kRelaxed),
                                 reinterpret_cast<void*>(static_cast<uintptr_t>(depth)));
}

}  // namespace

void WriteTrace(int32_t level, int32_t keyword, int32_t kind, const wchar_t* format, ...) {
    if (!TracePasses(level, keyword))
        return;

    wchar_t line[kLineCharacters + 1] = {};
    int indent = 0;
    uint32_t depth = ReadDepth();
    if (depth != 0) {
        if (kind == TRACE_KIND_LEAVE)
            StoreDepth(--depth);
        uint64_t spaces = static_cast<uint64_t>(depth) * 4;
        indent = spaces > kLineCharacters ? kLineCharacters : static_cast<int>(spaces);
        for (int i = 0; i < indent; ++i)
            line[i] = L' ';
    }

    // The message gets 511 characters, or what the indentation leaves of the line.
    int room = kLineCharacters - indent;
    if (room > kMessageCharacters)
        room = kMessageCharacters;
    if (room > 0) {
        va_list args;
        va_start(args, format);
        FormatWideV(line + indent, static_cast<std::size_t>(room) + 1, format, args);
        va_end(args);
    }
    line[indent + room] = L'\0';

    Platform::TraceProvider().EventWriteString(
        g_trace.registration.load(kRelaxed), static_cast<uint8_t>(level),
        static_cast<uint64_t>(static_cast<int64_t>(keyword)), line);

    if (kind == TRACE_KIND_ENTER)
        StoreDepth(depth + 1);
}

void TraceHexDump(const void* data, uint32_t length) {
    if (g_trace.enabled.load(kRelaxed) != 1 || g_trace.registration.load(kRelaxed) == 0 ||
        (g_trace.keywordMask.load(kRelaxed) & TRACE_KEYWORD_PANEL) == 0)
        return;

    std::size_t characters = static_cast<std::size_t>(length) * 3 + 1;
    wchar_t* text = new (std::nothrow) wchar_t[characters];
    if (text == nullptr)
        return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    wchar_t* out = text;
    for (uint32_t i = 0; i < length; ++i) {
        FormatWide(out, 4, L"%02x ", bytes[i]);
        out += 3;
    }
    *out = L'\0';
    WriteTrace(TRACE_LEVEL_EVENT, TRACE_KEYWORD_PANEL, TRACE_KIND_MESSAGE, L"The data is %s", text);
    delete[] text;
}

void TraceEnableCallback(const Platform::Guid* /*sourceId*/, uint32_t controlCode, uint8_t level,
                         uint64_t matchAnyKeyword, uint64_t /*matchAllKeyword*/,
                         void* /*filterData*/, void* /*context*/) {
    switch (controlCode) {
        case Platform::kTraceControlDisable:
            ClearFilter();
            break;
        case Platform::kTraceControlEnable:
            g_trace.enabled.store(1, kRelaxed);
            g_trace.level.store(level, kRelaxed);
            // A session that asks for every keyword bit gets nothing.
            g_trace.keywordMask.store(matchAnyKeyword == ~uint64_t{0} ? 0 : matchAnyKeyword,
                                      kRelaxed);
            break;
        default:
            break;
    }
}

void RegisterTraceProvider() {
    Platform::TraceRegistration registration = 0;
    Platform::TraceProvider().EventRegister(kTraceProviderGuid, &TraceEnableCallback, nullptr,
                                            &registration);
    g_trace.registration.store(registration, kRelaxed);
    g_trace.tlsIndex.store(Platform::Sync().TlsAlloc(), kRelaxed);
}

void UnregisterTraceProvider() {
    if (g_trace.registration.load(kRelaxed) != 0) {
        Platform::TraceProvider().EventUnregister(g_trace.registration.load(kRelaxed));
        g_trace.registration.store(0, kRelaxed);
    }
    ClearFilter();
    Platform::Sync().TlsFree(g_trace.tlsIndex.load(kRelaxed));
}

}  // namespace Orv
