// The event log's JSON: string escapes, number forms, field order.
#include <gtest/gtest.h>

#include <limits>

#include "sim/host/event_log.h"

namespace Orv::Host {
namespace {

TEST(EventLogJson, StringsAreEscapedAndStayValidUtf8) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
        // Not UTF-8: a lone continuation byte, a cut sequence, an overlong
        // form and an encoded surrogate become escapes of their bytes.
        {"\x80", "\"\\u0080\""},
        {"\xe2\x82", "\"\\u00e2\\u0082\""},
        {"\xc0\xaf", "\"\\u00c0\\u00af\""},
        {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},
    };
    for (const auto& c : cases) {
        std::string out;
        Json::AppendString(&out, c.in);
        EXPECT_EQ(out, c.out) << c.in;
    }
    std::string bytes;
    Json::AppendByteString(&bytes, "A\x7e\x7f\x80\xff\"");
    EXPECT_EQ(bytes, "\"A~\\u007f\\u0080\\u00ff\\\"\"");
}

TEST(EventLogJson, NumbersTakeTheirShortestExactForm) {
    struct Case {
        double in;
        const char* out;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-42, "-42"},
        {12180, "12180"},
        {static_cast<double>(0.1f), "0.1"},  // a float written by XPLMSetDataf
        {static_cast<double>(-2.5f), "-2.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {1e20, "1e+20"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& c : cases) {
        std::string out;
        Json::AppendNumber(&out, c.in);
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(EventLogJson, LinesKeepFrameEventAndFieldOrder) {
    Line line(7, "write");
    line.Str("name", "sim/x")
        .Numbers("value", {0.5, 1})
        .Int("offset", 2)
        .Null("n")
        .Bool("b", false);
    EXPECT_EQ(line.Text(),
              "{\"frame\":7,\"ev\":\"write\",\"name\":\"sim/x\",\"value\":[0.5,1],\"offset\":2,"
              "\"n\":null,\"b\":false}");
    EXPECT_EQ(Line(0, "enable").Text(), "{\"frame\":0,\"ev\":\"enable\"}");
}

}  // namespace
}  // namespace Orv::Host
