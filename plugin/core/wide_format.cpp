#include "plugin/core/wide_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace Orv {
namespace {

// Output into a bounded buffer that remembers whether anything was cut.
class Sink {
public:
    Sink(wchar_t* buffer, std::size_t size) : buffer_(buffer), capacity_(size - 1) {}

    void Put(wchar_t c) {
        if (length_ < capacity_)
            buffer_[length_++] = c;
        else
            cut_ = true;
    }
    void Repeat(wchar_t c, std::size_t count) {
        for (std::size_t i = 0; i < count && !cut_; ++i) Put(c);
    }
    int Finish() {
        buffer_[length_] = L'\0';
        return cut_ ? -1 : static_cast<int>(length_);
    }
    bool Full() const { return cut_; }

private:
    wchar_t* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool cut_ = false;
};

struct Spec {
    char flags[8] = {};
    int flagCount = 0;
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    enum class Length { None, Char, Short, Long, LongLong, Size, Max, PtrDiff, LongDouble, Wide };
    Length length = Length::None;
};

// Pads a field of len characters produced by put() to the spec's width.
template <typename PutFn>
void Padded(Sink& out, const Spec& spec, std::size_t len, PutFn put) {
    std::size_t pad = spec.width > 0 && static_cast<std::size_t>(spec.width) > len
                          ? static_cast<std::size_t>(spec.width) - len
                          : 0;
    if (!spec.leftAlign) out.Repeat(L' ', pad);
    put();
    if (spec.leftAlign) out.Repeat(L' ', pad);
}

void PutNarrowString(Sink& out, const Spec& spec, const char* s) {
    if (s == nullptr) s = "(null)";
    std::size_t len = std::strlen(s);
    if (spec.precision >= 0 && static_cast<std::size_t>(spec.precision) < len)
        len = static_cast<std::size_t>(spec.precision);
    Padded(out, spec, len, [&] {
        for (std::size_t i = 0; i < len; ++i)
            out.Put(static_cast<wchar_t>(static_cast<unsigned char>(s[i])));
    });
}

void PutWideString(Sink& out, const Spec& spec, const wchar_t* s) {
    if (s == nullptr) s = L"(null)";
    std::size_t len = std::wcslen(s);
    if (spec.precision >= 0 && static_cast<std::size_t>(spec.precision) < len)
        len = static_cast<std::size_t>(spec.precision);
    Padded(out, spec, len, [&] {
        for (std::size_t i = 0; i < len; ++i) out.Put(s[i]);
    });
}

// Numbers go through the C library's narrow printf, which formats digits the
// same way on every platform, and are widened character by character.
void PutNarrow(Sink& out, const char* text) {
    for (; *text != '\0'; ++text) out.Put(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
}

void BuildNarrowSpec(char* dst, std::size_t size, const Spec& spec, const char* lengthText,
                     char conversion) {
    char width[16] = "";
    char precision[16] = "";
    if (spec.width >= 0) std::snprintf(width, sizeof width, "%d", spec.width);
    if (spec.precision >= 0) std::snprintf(precision, sizeof precision, ".%d", spec.precision);
    std::snprintf(dst, size, "%%%s%s%s%s%c", spec.flags, width, precision, lengthText, conversion);
}

constexpr int kMaxNumberWidth = 600;

}  // namespace

int FormatWideV(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args) {
    if (buffer == nullptr || size == 0) return -1;
    Sink out(buffer, size);
    if (format == nullptr) return out.Finish();

    for (const wchar_t* p = format; *p != L'\0' && !out.Full(); ++p) {
        if (*p != L'%') {
            out.Put(*p);
            continue;
        }
        ++p;
        if (*p == L'%') {
            out.Put(L'%');
            continue;
        }
        Spec spec;
        for (; *p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0'; ++p) {
            if (*p == L'-') spec.leftAlign = true;
            if (spec.flagCount < 7) spec.flags[spec.flagCount++] = static_cast<char>(*p);
        }
        if (*p == L'*') {
            spec.width = va_arg(args, int);
            if (spec.width < 0) {
                spec.leftAlign = true;
                if (spec.flagCount < 7) spec.flags[spec.flagCount++] = '-';
                spec.width = -spec.width;
            }
            ++p;
        } else {
            for (; *p >= L'0' && *p <= L'9'; ++p)
                spec.width = (spec.width < 0 ? 0 : spec.width) * 10 + (*p - L'0');
        }
        if (*p == L'.') {
            ++p;
            spec.precision = 0;
            if (*p == L'*') {
                spec.precision = va_arg(args, int);
                ++p;
            } else {
                for (; *p >= L'0' && *p <= L'9'; ++p) spec.precision = spec.precision * 10 + (*p - L'0');
            }
        }
        if (spec.width > kMaxNumberWidth) spec.width = kMaxNumberWidth;
        if (spec.precision > kMaxNumberWidth) spec.precision = kMaxNumberWidth;

        using Length = Spec::Length;
        if (*p == L'h') {
            ++p;
            spec.length = Length::Short;
            if (*p == L'h') {
                ++p;
                spec.length = Length::Char;
            }
        } else if (*p == L'l') {
            ++p;
            spec.length = Length::Long;
            if (*p == L'l') {
                ++p;
                spec.length = Length::LongLong;
            }
        } else if (*p == L'w') {
            ++p;
            spec.length = Length::Wide;
        } else if (*p == L'z') {
            ++p;
            spec.length = Length::Size;
        } else if (*p == L'j') {
            ++p;
            spec.length = Length::Max;
        } else if (*p == L't') {
            ++p;
            spec.length = Length::PtrDiff;
        } else if (*p == L'L') {
            ++p;
            spec.length = Length::LongDouble;
        } else if (*p == L'I') {
            if (p[1] == L'6' && p[2] == L'4') {
                p += 3;
                spec.length = Length::LongLong;
            } else if (p[1] == L'3' && p[2] == L'2') {
                p += 3;
                spec.length = Length::None;
            } else {
                ++p;
                spec.length = Length::Size;
            }
        }

        wchar_t conversion = *p;
        if (conversion == L'\0') break;
        char number[kMaxNumberWidth + 64];
        char narrowSpec[48];
        switch (conversion) {
            case L's':
            case L'S': {
                // Windows: in a wide format %s is wide and %S narrow; h and l/w override.
                bool wide = conversion == L's';
                if (spec.length == Length::Short) wide = false;
                if (spec.length == Length::Long || spec.length == Length::Wide) wide = true;
                if (wide)
                    PutWideString(out, spec, va_arg(args, const wchar_t*));
                else
                    PutNarrowString(out, spec, va_arg(args, const char*));
                break;
            }
            case L'c':
            case L'C': {
                bool wide = conversion == L'c';
                if (spec.length == Length::Short) wide = false;
                if (spec.length == Length::Long || spec.length == Length::Wide) wide = true;
                int value = va_arg(args, int);
                wchar_t c = wide ? static_cast<wchar_t>(value)
                                 : static_cast<wchar_t>(static_cast<unsigned char>(value));
                Padded(out, spec, 1, [&] { out.Put(c); });
                break;
            }
            case L'd':
            case L'i':
            case L'u':
            case L'o':
            case L'x':
            case L'X': {
                bool isSigned = conversion == L'd' || conversion == L'i';
                char conv = static_cast<char>(conversion);
                switch (spec.length) {
                    case Length::LongLong:
                    case Length::Max:
                    case Length::Size:
                    case Length::PtrDiff:
                        BuildNarrowSpec(narrowSpec, sizeof narrowSpec, spec, "ll", conv);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowSpec,
                                          static_cast<long long>(va_arg(args, long long)));
                        else
                            std::snprintf(number, sizeof number, narrowSpec,
                                          static_cast<unsigned long long>(
                                              va_arg(args, unsigned long long)));
                        break;
                    case Length::Long:
                        // Windows long is 32 bits.
                        BuildNarrowSpec(narrowSpec, sizeof narrowSpec, spec, "", conv);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowSpec,
                                          static_cast<int32_t>(va_arg(args, long)));
                        else
                            std::snprintf(number, sizeof number, narrowSpec,
                                          static_cast<uint32_t>(va_arg(args, unsigned long)));
                        break;
                    default: {
                        const char* len = spec.length == Length::Short  ? "h"
                                          : spec.length == Length::Char ? "hh"
                                                                        : "";
                        BuildNarrowSpec(narrowSpec, sizeof narrowSpec, spec, len, conv);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowSpec, va_arg(args, int));
                        else
                            std::snprintf(number, sizeof number, narrowSpec,
                                          va_arg(args, unsigned int));
                        break;
                    }
                }
                PutNarrow(out, number);
                break;
            }
            case L'f':
            case L'F':
            case L'e':
            case L'E':
            case L'g':
            case L'G':
            case L'a':
            case L'A':
                BuildNarrowSpec(narrowSpec, sizeof narrowSpec, spec, "", static_cast<char>(conversion));
                if (spec.length == Length::LongDouble)
                    std::snprintf(number, sizeof number, narrowSpec,
                                  static_cast<double>(va_arg(args, long double)));
                else
                    std::snprintf(number, sizeof number, narrowSpec, va_arg(args, double));
                PutNarrow(out, number);
                break;
            case L'p': {
                auto value = reinterpret_cast<uintptr_t>(va_arg(args, void*));
                std::snprintf(number, sizeof number, "%0*llX", static_cast<int>(sizeof(void*) * 2),
                              static_cast<unsigned long long>(value));
                Spec padSpec = spec;
                Padded(out, padSpec, std::strlen(number), [&] { PutNarrow(out, number); });
                break;
            }
            case L'n':
                (void)va_arg(args, int*);  // never written
                break;
            default:
                // An unknown conversion is copied as it stands.
                out.Put(L'%');
                out.Put(conversion);
                break;
        }
    }
    return out.Finish();
}

int FormatWide(wchar_t* buffer, std::size_t size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatWideV(buffer, size, format, args);
    va_end(args);
    return result;
}

}  // namespace Orv
