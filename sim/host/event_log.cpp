#include "sim/host/event_log.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace Orv::Host {

namespace Json {

namespace {

void AppendEscapedByte(std::string* out, unsigned char c) {
    static const char kHex[] = "0123456789abcdef";
    out->append("\\u00");
    out->push_back(kHex[c >> 4]);
    out->push_back(kHex[c & 0xF]);
}

// True for a character that JSON requires to be escaped; writes its escape.
bool AppendShortEscape(std::string* out, unsigned char c) {
    switch (c) {
        case '"':
            out->append("\\\"");
            return true;
        case '\\':
            out->append("\\\\");
            return true;
        case '\b':
            out->append("\\b");
            return true;
        case '\f':
            out->append("\\f");
            return true;
        case '\n':
            out->append("\\n");
            return true;
        case '\r':
            out->append("\\r");
            return true;
        case '\t':
            out->append("\\t");
            return true;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        AppendEscapedByte(out, c);
        return true;
    }
    return false;
}

// Length of the valid UTF-8 sequence at text[i], 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    size_t length = 0;
    uint32_t min = 0;
    uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, min = 0x80, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, min = 0x800, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, min = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char d = byte(i + k);
        if ((d & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (d & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

void AppendString(std::string* out, std::string_view text) {
    out->push_back('"');
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (!AppendShortEscape(out, c))
                out->push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendEscapedByte(out, c);
            ++i;
        } else {
            out->append(text.substr(i, length));
            i += length;
        }
    }
    out->push_back('"');
}

void AppendByteString(std::string* out, std::string_view bytes) {
    out->push_back('"');
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c > 0x7E && c != 0x7F)
            AppendEscapedByte(out, c);
        else if (!AppendShortEscape(out, c))
            out->push_back(ch);
    }
    out->push_back('"');
}

void AppendNumber(std::string* out, double value) {
    if (!std::isfinite(value)) {
        out->append("null");
        return;
    }
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        AppendInteger(out, static_cast<int64_t>(value));
        return;
    }
    char buffer[64];
    std::to_chars_result result;
    float asFloat = static_cast<float>(value);
    if (static_cast<double>(asFloat) == value)
        result = std::to_chars(buffer, buffer + sizeof buffer, asFloat);
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, result.ptr);
}

void AppendInteger(std::string* out, int64_t value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, result.ptr);
}

void AppendUnsigned(std::string* out, uint64_t value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, result.ptr);
}

}  // namespace Json

Line::Line(uint64_t frame, std::string_view ev) {
    text_ = "{\"frame\":";
    Json::AppendUnsigned(&text_, frame);
    text_.append(",\"ev\":");
    Json::AppendString(&text_, ev);
}

void Line::Key(std::string_view key) {
    text_.push_back(',');
    Json::AppendString(&text_, key);
    text_.push_back(':');
}

Line& Line::Str(std::string_view key, std::string_view value) {
    Key(key);
    Json::AppendString(&text_, value);
    return *this;
}

Line& Line::ByteStr(std::string_view key, std::string_view value) {
    Key(key);
    Json::AppendByteString(&text_, value);
    return *this;
}

Line& Line::Null(std::string_view key) {
    Key(key);
    text_.append("null");
    return *this;
}

Line& Line::Num(std::string_view key, double value) {
    Key(key);
    Json::AppendNumber(&text_, value);
    return *this;
}

Line& Line::Int(std::string_view key, int64_t value) {
    Key(key);
    Json::AppendInteger(&text_, value);
    return *this;
}

Line& Line::Uint(std::string_view key, uint64_t value) {
    Key(key);
    Json::AppendUnsigned(&text_, value);
    return *this;
}

Line& Line::Bool(std::string_view key, bool value) {
    Key(key);
    text_.append(value ? "true" : "false");
    return *this;
}

Line& Line::Numbers(std::string_view key, const std::vector<double>& values) {
    Key(key);
    text_.push_back('[');
    for (size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            text_.push_back(',');
        Json::AppendNumber(&text_, values[i]);
    }
    text_.push_back(']');
    return *this;
}

Line& Line::Raw(std::string_view key, std::string_view json) {
    Key(key);
    text_.append(json);
    return *this;
}

EventLog::~EventLog() {
    Close();
}

bool EventLog::Open(const std::string& path, std::string* error) {
    Close();
    if (path == "-") {
        file_ = stdout;
        ownsFile_ = false;
        return true;
    }
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        *error = "cannot create the log file " + path + ": " + std::strerror(errno);
        return false;
    }
    ownsFile_ = true;
    return true;
}

void EventLog::Write(const Line& line) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (file_ == nullptr)
        return;
    std::string text = line.Text();
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), file_);
}

void EventLog::Close() {
    std::lock_guard<std::mutex> hold(mutex_);
    if (file_ == nullptr)
        return;
    if (ownsFile_)
        std::fclose(file_);
    else
        std::fflush(file_);
    file_ = nullptr;
    ownsFile_ = false;
}

}  // namespace Orv::Host
