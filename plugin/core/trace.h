// The plugin's trace log: string events of one trace provider, filtered by
// level and keyword, indented per thread by the call depth.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/types.h"

namespace Orv {

enum : int32_t {
    TRACE_LEVEL_FAILURE = 1,
    TRACE_LEVEL_EVENT = 2,
    TRACE_LEVEL_DETAIL = 3,
};

enum : int32_t {
    TRACE_KIND_MESSAGE = 0,
    TRACE_KIND_ENTER = 1,
    TRACE_KIND_LEAVE = 2,
};

enum : int32_t {
    TRACE_KEYWORD_PLUGIN = 0x1,
    TRACE_KEYWORD_DEVICE_MANAGER = 0x2,
    TRACE_KEYWORD_PANEL = 0x4,
    TRACE_KEYWORD_TOGGLE_PANEL = 0x8,
    TRACE_KEYWORD_WAP = 0x10,
    TRACE_KEYWORD_TUNER_PANEL = 0x20,
    TRACE_KEYWORD_MODE_PANEL = 0x40,
    TRACE_KEYWORD_Z7HOTAS_PANEL = 0x80,
    TRACE_KEYWORD_GDP_PANEL = 0x100,
    TRACE_KEYWORD_GLASSLINK = 0x200,
    TRACE_KEYWORD_UTILITY = 0x400,
    TRACE_KEYWORD_AIRCRAFT = 0x800,
};

// {7D4A19C3-B26E-4F08-9E53-A1C60F2B87D5}
inline constexpr Platform::Guid kTraceProviderGuid = {
    0x7D4A19C3, 0xB26E, 0x4F08, {0x9E, 0x53, 0xA1, 0xC6, 0x0F, 0x2B, 0x87, 0xD5}};

// The filter state that the enable callback sets.  Every trace call reads it
// without a lock; the enable callback writes it on a thread of the trace
// system's choosing.  Relaxed atomics: plain loads and stores on the machine,
// so a line that races with a change is filtered by either the old or the
// new values.
struct TraceState {
    std::atomic<uint64_t> registration{0};
    std::atomic<int32_t> enabled{0};
    std::atomic<int32_t> level{0};
    std::atomic<uint64_t> keywordMask{0};
    std::atomic<uint32_t> tlsIndex{0};
};
extern TraceState g_trace;

// Writes one line if a trace session lets it pass.  format is a wide printf
// format in which %s takes a wide string and %S a narrow one, on every
// platform.
void WriteTrace(int32_t level, int32_t keyword, int32_t kind, const wchar_t* format, ...);
// Writes bytes as one level-2 line under TRACE_KEYWORD_PANEL.
void TraceHexDump(const void* data, uint32_t length);
// The enable callback given to the trace provider.
void TraceEnableCallback(const Platform::Guid* sourceId, uint32_t controlCode, uint8_t level,
                         uint64_t matchAnyKeyword, uint64_t matchAllKeyword, void* filterData,
                         void* context);

// The cheap test that every trace call makes first.
inline bool TracePasses(int32_t level, int32_t keyword) {
    constexpr auto relaxed = std::memory_order_relaxed;
    return g_trace.enabled.load(relaxed) == 1 && g_trace.registration.load(relaxed) != 0 &&
           level <= g_trace.level.load(relaxed) &&
           (static_cast<uint64_t>(static_cast<int64_t>(keyword)) &
            g_trace.keywordMask.load(relaxed)) != 0;
}

// Registers the trace provider and takes the thread-local slot of the
// nesting depth (at module load); undoes both (at module unload).
void RegisterTraceProvider();
void UnregisterTraceProvider();

// Writes a function's entry line when made and its exit line when it goes
// out of scope, so that no return path forgets the exit line.
class TraceScope {
public:
    TraceScope(int32_t keyword, const char* name) : keyword_(keyword), name_(name) {
        if (TracePasses(TRACE_LEVEL_DETAIL, keyword_))
            WriteTrace(TRACE_LEVEL_DETAIL, keyword_, TRACE_KIND_ENTER, L">>%S", name_);
    }
    ~TraceScope() {
        if (TracePasses(TRACE_LEVEL_DETAIL, keyword_))
            WriteTrace(TRACE_LEVEL_DETAIL, keyword_, TRACE_KIND_LEAVE, L"<<%S", name_);
    }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

private:
    int32_t keyword_;
    const char* name_;
};

}  // namespace Orv

namespace Orv::Detail {

// A function's qualified name cut out of the compiler's decorated name at
// compile time: "bool Orv::CPanel::ParseReport(const uint8_t*)" gives
// "Orv::CPanel::ParseReport"; an anonymous namespace is written as
// "`anonymous-namespace'", as on Windows.
template <std::size_t N>
struct FunctionName {
    char text[N + 32] = {};
};

// Whether word starts at text[i] (word given with its terminator).
template <std::size_t N, std::size_t M>
constexpr bool StartsAt(const char (&text)[N], std::size_t i, const char (&word)[M]) {
    if (i + M - 1 > N - 1)
        return false;
    for (std::size_t k = 0; k + 1 < M; ++k)
        if (text[i + k] != word[k])
            return false;
    return true;
}

inline constexpr char kGccAnonymous[] = "{anonymous}";
inline constexpr char kClangAnonymous[] = "(anonymous namespace)";
inline constexpr char kWindowsAnonymous[] = "`anonymous-namespace'";

template <std::size_t N>
consteval FunctionName<N> QualifiedName(const char (&pretty)[N]) {
    FunctionName<N> out;
    std::size_t open = 0;
    int angle = 0;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        char c = pretty[i];
        if (c == '<')
            ++angle;
        if (c == '>')
            --angle;
        if (StartsAt(pretty, i, kClangAnonymous)) {
            i += sizeof(kClangAnonymous) - 2;
            continue;
        }
        if (c == '(' && angle == 0 && i > 0) {
            open = i;
            break;
        }
    }
    std::size_t begin = 0;
    angle = 0;
    for (std::size_t i = open; i > 0; --i) {
        char c = pretty[i - 1];
        if (c == '>' || c == ')')
            ++angle;
        if (c == '<' || c == '(')
            --angle;
        if (c == ' ' && angle == 0) {
            begin = i;
            break;
        }
    }
    std::size_t o = 0;
    for (std::size_t i = begin; i < open && o + 1 < N + 32;) {
        std::size_t skip = StartsAt(pretty, i, kGccAnonymous)     ? sizeof(kGccAnonymous) - 1
                           : StartsAt(pretty, i, kClangAnonymous) ? sizeof(kClangAnonymous) - 1
                                                                  : 0;
        if (skip != 0) {
            for (std::size_t k = 0; k + 1 < sizeof(kWindowsAnonymous) && o + 1 < N + 32; ++k)
                out.text[o++] = kWindowsAnonymous[k];
            i += skip;
        } else {
            out.text[o++] = pretty[i++];
        }
    }
    return out;
}

}  // namespace Orv::Detail

// Writes the enclosing function's entry line now and its exit line on
// every return path: ORV_TRACE_SCOPE(TRACE_KEYWORD_PLUGIN); as the
// function's first statement.
#if defined(_MSC_VER)
#define ORV_TRACE_SCOPE(keyword) ::Orv::TraceScope orvTraceScope_(keyword, __FUNCTION__)
#else
#define ORV_TRACE_SCOPE(keyword)                                                                \
    static constexpr auto orvFunctionName_ = ::Orv::Detail::QualifiedName(__PRETTY_FUNCTION__); \
    ::Orv::TraceScope orvTraceScope_(keyword, orvFunctionName_.text)
#endif
