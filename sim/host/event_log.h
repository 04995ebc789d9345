// The host's event log: one JSON object a line, "frame" and "ev" first,
// then the event's fields in the order they are added.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Orv::Host {

// Appends JSON texts to a string: escaped strings and numbers in their
// shortest exact form.
namespace Json {
// A JSON string literal: quotes, the escapes \" \\ \b \f \n \r \t, other
// control characters as \u00XX.  Bytes that are not valid UTF-8 are
// written as \u00XX of their value, so the output is always valid UTF-8.
void AppendString(std::string* out, std::string_view text);
// A string of single-byte characters (MFD text): bytes above 0x7E as \u00XX.
void AppendByteString(std::string* out, std::string_view bytes);
// A number: integral values without a point, values that are exact floats
// in the shortest form that reads back as the same float, other values in
// the shortest form that reads back as the same double; null for NaN and
// infinities, which JSON cannot hold.
void AppendNumber(std::string* out, double value);
void AppendInteger(std::string* out, int64_t value);
void AppendUnsigned(std::string* out, uint64_t value);
}  // namespace Json

// One line under construction.  Fields are written in call order.
class Line {
public:
    Line(uint64_t frame, std::string_view ev);

    Line& Str(std::string_view key, std::string_view value);
    Line& ByteStr(std::string_view key, std::string_view value);
    Line& Null(std::string_view key);
    Line& Num(std::string_view key, double value);
    Line& Int(std::string_view key, int64_t value);
    Line& Uint(std::string_view key, uint64_t value);
    Line& Bool(std::string_view key, bool value);
    Line& Numbers(std::string_view key, const std::vector<double>& values);
    // A value already in JSON form (an array of objects, ...).
    Line& Raw(std::string_view key, std::string_view json);

    // The finished line, without the line feed.
    std::string Text() const { return text_ + "}"; }

private:
    void Key(std::string_view key);
    std::string text_;
};

// Where lines go: a file, standard output, or nowhere.  Safe to use from
// several threads (real-time runs); each line is written whole.
class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // "-" for standard output.  False when the file cannot be created.
    bool Open(const std::string& path, std::string* error);

    // The frame number that every new line carries.
    void SetFrame(uint64_t frame) { frame_ = frame; }

    Line Begin(std::string_view ev) const { return Line(frame_, ev); }
    void Write(const Line& line);
    void Close();

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    std::atomic<uint64_t> frame_ = 0;
};

}  // namespace Orv::Host
