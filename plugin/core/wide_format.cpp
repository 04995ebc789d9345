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
        for (std::size_t i = 0; i < count && !cut_; ++i)
            Put(c);
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

struct Conversion {
    char flags[8] = {};
    int flagCount = 0;
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    enum class Length { None, Char, Short, Long, LongLong, Size, Max, PtrDiff, LongDouble, Wide };
    Length length = Length::None;
};

// Pads a field of len characters produced by put() to the conv's width.
template <typename PutFn>
void Padded(Sink& out, const Conversion& conv, std::size_t len, PutFn put) {
    std::size_t pad = conv.width > 0 && static_cast<std::size_t>(conv.width) > len
                          ? static_cast<std::size_t>(conv.width) - len
                          : 0;
    if (!conv.leftAlign)
        out.Repeat(L' ', pad);
    put();
    if (conv.leftAlign)
        out.Repeat(L' ', pad);
}

void PutNarrowString(Sink& out, const Conversion& conv, const char* s) {
    if (s == nullptr)
        s = "(null)";
    std::size_t len = std::strlen(s);
    if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < len)
        len = static_cast<std::size_t>(conv.precision);
    Padded(out, conv, len, [&] {
        for (std::size_t i = 0; i < len; ++i)
            out.Put(static_cast<wchar_t>(static_cast<unsigned char>(s[i])));
    });
}

void PutWideString(Sink& out, const Conversion& conv, const wchar_t* s) {
    if (s == nullptr)
        s = L"(null)";
    std::size_t len = std::wcslen(s);
    if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < len)
        len = static_cast<std::size_t>(conv.precision);
    Padded(out, conv, len, [&] {
        for (std::size_t i = 0; i < len; ++i)
            out.Put(s[i]);
    });
}

// Numbers go through the C library's narrow printf, which formats digits the
// same way on every platform, and are widened character by character.
void PutNarrow(Sink& out, const char* text) {
    for (; *text != '\0'; ++text)
        out.Put(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
}

void BuildNarrowFormat(char* dst, std::size_t size, const Conversion& conv, const char* lengthText,
                       char conversion) {
    char width[16] = "";
    char precision[16] = "";
    if (conv.width >= 0)
        std::snprintf(width, sizeof width, "%d", conv.width);
    if (conv.precision >= 0)
        std::snprintf(precision, sizeof precision, ".%d", conv.precision);
    std::snprintf(dst, size, "%%%s%s%s%s%c", conv.flags, width, precision, lengthText, conversion);
}

constexpr int kMaxNumberWidth = 600;

}  // namespace

int FormatWideV(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args) {
    if (buffer == nullptr || size == 0)
        return -1;
    Sink out(buffer, size);
    if (format == nullptr)
        return out.Finish();

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
        Conversion conv;
        for (; *p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0'; ++p) {
            if (*p == L'-')
                conv.leftAlign = true;
            if (conv.flagCount < 7)
                conv.flags[conv.flagCount++] = static_cast<char>(*p);
        }
        if (*p == L'*') {
            conv.width = va_arg(args, int);
            if (conv.width < 0) {
                conv.leftAlign = true;
                if (conv.flagCount < 7)
                    conv.flags[conv.flagCount++] = '-';
                conv.width = -conv.width;
            }
            ++p;
        } else {
            for (; *p >= L'0' && *p <= L'9'; ++p)
                conv.width = (conv.width < 0 ? 0 : conv.width) * 10 + (*p - L'0');
        }
        if (*p == L'.') {
            ++p;
            conv.precision = 0;
            if (*p == L'*') {
                conv.precision = va_arg(args, int);
                ++p;
            } else {
                for (; *p >= L'0' && *p <= L'9'; ++p)
                    conv.precision = conv.precision * 10 + (*p - L'0');
            }
        }
        if (conv.width > kMaxNumberWidth)
            conv.width = kMaxNumberWidth;
        if (conv.precision > kMaxNumberWidth)
            conv.precision = kMaxNumberWidth;

        using Length = Conversion::Length;
        if (*p == L'h') {
            ++p;
            conv.length = Length::Short;
            if (*p == L'h') {
                ++p;
                conv.length = Length::Char;
            }
        } else if (*p == L'l') {
            ++p;
            conv.length = Length::Long;
            if (*p == L'l') {
                ++p;
                conv.length = Length::LongLong;
            }
        } else if (*p == L'w') {
            ++p;
            conv.length = Length::Wide;
        } else if (*p == L'z') {
            ++p;
            conv.length = Length::Size;
        } else if (*p == L'j') {
            ++p;
            conv.length = Length::Max;
        } else if (*p == L't') {
            ++p;
            conv.length = Length::PtrDiff;
        } else if (*p == L'L') {
            ++p;
            conv.length = Length::LongDouble;
        } else if (*p == L'I') {
            if (p[1] == L'6' && p[2] == L'4') {
                p += 3;
                conv.length = Length::LongLong;
            } else if (p[1] == L'3' && p[2] == L'2') {
                p += 3;
                conv.length = Length::None;
            } else {
                ++p;
                conv.length = Length::Size;
            }
        }

        wchar_t conversion = *p;
        if (conversion == L'\0')
            break;
        char number[kMaxNumberWidth + 64];
        char narrowFormat[48];
        switch (conversion) {
            case L's':
            case L'S': {
                // Windows: in a wide format %s is wide and %S narrow; h and l/w override.
                bool wide = conversion == L's';
                if (conv.length == Length::Short)
                    wide = false;
                if (conv.length == Length::Long || conv.length == Length::Wide)
                    wide = true;
                if (wide)
                    PutWideString(out, conv, va_arg(args, const wchar_t*));
                else
                    PutNarrowString(out, conv, va_arg(args, const char*));
                break;
            }
            case L'c':
            case L'C': {
                bool wide = conversion == L'c';
                if (conv.length == Length::Short)
                    wide = false;
                if (conv.length == Length::Long || conv.length == Length::Wide)
                    wide = true;
                int value = va_arg(args, int);
                wchar_t c = wide ? static_cast<wchar_t>(value)
                                 : static_cast<wchar_t>(static_cast<unsigned char>(value));
                Padded(out, conv, 1, [&] { out.Put(c); });
                break;
            }
            case L'd':
            case L'i':
            case L'u':
            case L'o':
            case L'x':
            case L'X': {
                bool isSigned = conversion == L'd' || conversion == L'i';
                char letter = static_cast<char>(conversion);
                switch (conv.length) {
                    case Length::LongLong:
                    case Length::Max:
                    case Length::Size:
                    case Length::PtrDiff:
                        BuildNarrowFormat(narrowFormat, sizeof narrowFormat, conv, "ll", letter);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowFormat,
                                          static_cast<long long>(va_arg(args, long long)));
                        else
                            std::snprintf(
                                number, sizeof number, narrowFormat,
                                static_cast<unsigned long long>(va_arg(args, unsigned long long)));
                        break;
                    case Length::Long:
                        // Windows long is 32 bits.
                        BuildNarrowFormat(narrowFormat, sizeof narrowFormat, conv, "", letter);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowFormat,
                                          static_cast<int32_t>(va_arg(args, long)));
                        else
                            std::snprintf(number, sizeof number, narrowFormat,
                                          static_cast<uint32_t>(va_arg(args, unsigned long)));
                        break;
                    default: {
                        const char* len = conv.length == Length::Short  ? "h"
                                          : conv.length == Length::Char ? "hh"
                                                                        : "";
                        BuildNarrowFormat(narrowFormat, sizeof narrowFormat, conv, len, letter);
                        if (isSigned)
                            std::snprintf(number, sizeof number, narrowFormat, va_arg(args, int));
                        else
                            std::snprintf(number, sizeof number, narrowFormat,
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
                BuildNarrowFormat(narrowFormat, sizeof narrowFormat, conv, "",
                                  static_cast<char>(conversion));
                if (conv.length == Length::LongDouble)
                    std::snprintf(number, sizeof number, narrowFormat,
                                  static_cast<double>(va_arg(args, long double)));
                else
                    std::snprintf(number, sizeof number, narrowFormat, va_arg(args, double));
                PutNarrow(out, number);
                break;
            case L'p': {
                auto value = reinterpret_cast<uintptr_t>(va_arg(args, void*));
                std::snprintf(number, sizeof number, "%0*llX", static_cast<int>(sizeof(void*) * 2),
                              static_cast<unsigned long long>(value));
                Conversion padConv = conv;
                Padded(out, padConv, std::strlen(number), [&] { PutNarrow(out, number); });
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
