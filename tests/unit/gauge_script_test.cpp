// The gauge script language and its variable store, as tables of scripts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "plugin/gauges/gauge_script.h"

namespace Orv {
namespace {

// A store with X,knots (10), Z,ndegree (90) and V,volts (3) registered.
class GaugeScriptTest : public ::testing::Test {
public:
    void SetUp() override {
        store.RegisterScript(L"(A:X,knots) (A:Z,ndegree) (A:V,volts)");
        Set(L"X", L"knots", 10.0f);
        Set(L"Z", L"ndegree", 90.0f);
        Set(L"V", L"volts", 3.0f);
    }
    void Set(const wchar_t* name, const wchar_t* unit, float value) {
        int32_t index = store.IndexOf(name, unit);
        ASSERT_GE(index, 0);
        store.working[static_cast<size_t>(index)] = value;
    }
    float Working(const wchar_t* name, const wchar_t* unit) {
        return store.working[static_cast<size_t>(store.IndexOf(name, unit))];
    }
    float Eval(const std::wstring& script) {
        GaugeEvaluationContext context{&store, false};
        return EvaluateScript(context, script.c_str());
    }

    GaugeVariableStore store;
};

struct Case {
    const wchar_t* script;
    float expected;
};

void ExpectScripts(GaugeScriptTest* test, std::initializer_list<Case> cases,
                   float (GaugeScriptTest::*eval)(const std::wstring&)) {
    for (const Case& c : cases) {
        float got = (test->*eval)(c.script);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(got)) << "script: " << testing::PrintToString(c.script);
        else
            EXPECT_FLOAT_EQ(got, c.expected) << "script: " << testing::PrintToString(c.script);
    }
}

#define EXPECT_SCRIPTS(...) ExpectScripts(this, __VA_ARGS__, &GaugeScriptTest::Eval)

TEST_F(GaugeScriptTest, DocumentedEdgeCases) {
    EXPECT_SCRIPTS({
        {L"(A:X,knots) 2 *", 20.0f},
        {L"(A:X,knots) 2  *", 0.0f},  // the empty token pushes 0
        {L"1.5 2 +", 2.0f},           // 1.5 is no number token
        {L"3 4 r -", 1.0f},
        {L"3 4 -", -1.0f},
        {L"7 2 div", 3.0f},
        {L"7 2 /", 3.5f},
        {L"2 10 pow", 1024.0f},
        {L"1 if{ 5 } els{ 6 }", 5.0f},
        {L"0 if{ 5 } els{ 6 }", 6.0f},
        {L"if{ 5 }", 0.0f},
        {L"0 450 - dnor", 270.0f},
        {L"360 dnor", 360.0f},
        {L"-450 dnor", 0.0f},
        {L"(L:Y,bool)", 0.0f},
        {L"(A:Z,ndegree)", -1.5707963f},
        {L"sin", 0.0f},  // a unary function on an empty stack
        {L"7 +", 7.0f},  // + with one value leaves it
        {L"PI", 3.1415927f},
        {L"PI 2 / Sin", 1.0f},
        {L"1 IF{ 1 }", 1.0f},
        {L"", 0.0f},
    });
    GaugeEvaluationContext context{&store, false};
    EXPECT_EQ(EvaluateScript(context, nullptr), 0.0f);
}

TEST_F(GaugeScriptTest, WritesSetRegisteredVariablesOnly) {
    EXPECT_FLOAT_EQ(Eval(L"5 (&gt;A:X,knots)"), 5.0f);
    EXPECT_FLOAT_EQ(Working(L"X", L"knots"), 5.0f);
    // Unregistered, another kind, or an empty stack: nothing changes.
    EXPECT_FLOAT_EQ(Eval(L"6 (&gt;A:W,knots)"), 6.0f);
    EXPECT_FLOAT_EQ(Eval(L"7 (&gt;L:X,knots)"), 7.0f);
    EXPECT_FLOAT_EQ(Eval(L"(&gt;A:X,knots)"), 0.0f);
    EXPECT_FLOAT_EQ(Working(L"X", L"knots"), 5.0f);
    EXPECT_EQ(store.IndexOf(L"W", L"knots"), -1);
    // The value stays on the stack; writes take no unit conversion; the
    // decoded form of the entity writes too.
    EXPECT_FLOAT_EQ(Eval(L"2 (&gt;A:Z,ndegree) 1 +"), 3.0f);
    EXPECT_FLOAT_EQ(Working(L"Z", L"ndegree"), 2.0f);
    EXPECT_FLOAT_EQ(Eval(L"8 (>E:x,KNOTS)"), 8.0f);
    EXPECT_FLOAT_EQ(Working(L"X", L"knots"), 8.0f);
    // A write inside a block reaches the store.
    EXPECT_FLOAT_EQ(Eval(L"1 if{ 4 (&gt;A:V,volts) }"), 4.0f);
    EXPECT_FLOAT_EQ(Working(L"V", L"volts"), 4.0f);
}

TEST_F(GaugeScriptTest, UnaryTable) {
    EXPECT_SCRIPTS({
        {L"3 /-/", -3.0f},        {L"3 ++", 4.0f},
        {L"3 --", 2.0f},          {L"7 2 / %", 3.0f},
        {L"0 7 2 / - %", -3.0f},  {L"0 3 - abs", 3.0f},
        {L"7 2 / flr", 3.0f},     {L"0 7 2 / - flr", -4.0f},
        {L"7 2 / ceil", 4.0f},    {L"0 cos", 1.0f},
        {L"pi 2 / sin", 1.0f},    {L"pi 4 / tg", 1.0f},
        {L"1 acos", 0.0f},        {L"1 asin", 1.5707964f},
        {L"1 atg", 0.7853982f},   {L"1 exp lg", 1.0f},
        {L"1 exp ln", 1.0f},      {L"1 exp", 2.7182817f},
        {L"3 sqr", 9.0f},         {L"9 sqrt", 3.0f},
        {L"3 d +", 6.0f},         {L"3 4 p", 3.0f},
        {L"5 ctg", 5.0f},         {L"5 eps", 5.0f},
        {L"5 near", 5.0f},        {L"725 d360", 5.0f},
        {L"0 10 - rdeg", 350.0f}, {L"pi 3 * rnor", 3.1415927f},
        {L"pi rddg", 180.0f},     {L"180 dgrd", 3.1415927f},
        {L"4 %", 4.0f},  // "%" is the unary function, never the binary one
    });
    // Values the loops of the normalisers would never finish.
    EXPECT_TRUE(std::isnan(Eval(L"1 0 / dnor")));
    float far = Eval(L"10 30 pow dnor");
    EXPECT_GE(far, 0.0f);
    EXPECT_LE(far, 360.0f);
}

TEST_F(GaugeScriptTest, BinaryTableAndComparisons) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_SCRIPTS({
        {L"2 3 +", 5.0f},
        {L"2 3 -", -1.0f},
        {L"2 3 *", 6.0f},
        {L"1 0 /", std::numeric_limits<float>::infinity()},
        {L"0 0 /", nan},
        {L"2 3 min", 2.0f},
        {L"3 2 min", 2.0f},
        {L"2 3 max", 3.0f},
        {L"3 2 max", 3.0f},
        {L"1 1 atn2", 0.7853982f},
        {L"0 1 - 0 atn2", -1.5707964f},
        {L"0 7 - 2 div", -3.0f},
        {L"7 0 div", 0.0f},
        {L"2 3 log", 0.0f},
        {L"1 2 3 log +", 1.0f},
        {L"2 3 r", 2.0f},
        {L"2 2 ==", 1.0f},
        {L"2 3 ==", 0.0f},
        {L"2 3 !=", 1.0f},
        {L"3 2 &gt;", 1.0f},
        {L"2 3 &gt;", 0.0f},
        {L"2 3 &lt;", 1.0f},
        {L"2 2 &gt;=", 1.0f},
        {L"2 3 &gt;=", 0.0f},
        {L"2 2 &lt;=", 1.0f},
        {L"3 2 &lt;=", 0.0f},
        {L"3 2 >", 1.0f},
        {L"3 2 <", 0.0f},
        {L"2 2 >=", 1.0f},
        {L"3 2 <=", 0.0f},
        {L"2 3 &GT;", 0.0f},
        {L"0 0 / 0 0 / ==", 0.0f},
        {L"0 0 / 1 !=", 1.0f},
        {L"0 0 / 1 &lt;", 0.0f},
        {L"5 ==", 5.0f},  // too few operands: skipped
    });
    // The quotient of the most negative integer by -1 exists as a float.
    EXPECT_FLOAT_EQ(Eval(L"0 2 31 pow - 0 1 - div"), 2147483648.0f);
}

TEST_F(GaugeScriptTest, StackWordsAndIgnoredTokens) {
    EXPECT_SCRIPTS({
        {L"1 2 b", 1.0f},
        {L"b", 0.0f},
        {L"1 2 c", 0.0f},
        {L"1 2 C 3", 3.0f},
        {L"2 -1", 2.0f},
        {L"2 1e3", 2.0f},
        {L"2 foo", 2.0f},
        {L"00012", 12.0f},
        // Tab and line feed are part of their token: "2\t3" is no number.
        {L"1 2\t3", 1.0f},
        {L"99999999999999999999", 1e20f},
    });
}

TEST_F(GaugeScriptTest, BlocksAndTheirConditions) {
    EXPECT_SCRIPTS({
        // Nested three deep, each with its own condition flag.
        {L"1 if{ 1 if{ 1 if{ 7 } } }", 7.0f},
        {L"1 if{ 1 if{ 0 if{ 7 } els{ 8 } } }", 8.0f},
        {L"1 if{ 0 if{ 1 } } els{ 9 }", 0.0f},  // the outer flag is true: els skipped
        {L"els{ 4 }", 4.0f},                    // a fresh context's flag is false
        {L"0 if{ 1 } 1 if{ 2 } els{ 3 }", 2.0f},
        {L"1 if{1}", 0.0f},       // empty block
        {L"1 if{ 5", 0.0f},       // no closing brace
        {L"1 if{ {  5 }", 5.0f},  // leading braces and spaces skipped
        {L"1 If{ (A:X,knots) 3 + }", 13.0f},
        {L"0 1 - if{ 5 }", 0.0f},  // not above 0: the block is skipped
        {L"2 0 if{ 5 } +", 2.0f},
    });
}

TEST_F(GaugeScriptTest, VariableTokens) {
    EXPECT_SCRIPTS({
        {L"(E:x,KNOTS)", 10.0f},
        {L"(p:X, knots)", 10.0f},
        {L"(A: X,knots)", 10.0f},
        {L"(A:X ,knots)", 0.0f},     // trailing spaces belong to the name
        {L"(AX,knots)", 0.0f},       // no colon: kind space
        {L"(A:X,knots", 10.0f},      // no ")": the unit runs to the end
        {L"(xyzA:X,knots)", 10.0f},  // only the letter before ":" counts
    });
    Set(L"V", L"volts", 0.5f);
    EXPECT_FLOAT_EQ(Eval(L"(A:V,volts) 2 *"), 1.0f);
}

TEST(GaugeVariableStore, UnitConversions) {
    struct {
        const wchar_t* unit;
        float expected;
    } cases[] = {
        {L"ndegree", -1.7453292f},
        {L"PDEGREE", 1.7453292f},
        {L"negative", -100.0f},
        {L"degCF", 212.0f},
        {L"lbs", 45.3592f},
        {L"psi", 14400.0f},
        {L"", 100.0f},
        {L"knots", 100.0f},
        {L"ndegrees", 100.0f},
    };
    for (const auto& c : cases) {
        GaugeVariableStore store;
        store.AddVariable(L'A', L"N", c.unit);
        store.RegisterScript(nullptr);
        store.SetVariable(L'a', L"N", c.unit, 100.0f);
        EXPECT_FLOAT_EQ(store.working[0], 100.0f) << "no conversion on a write";
        EXPECT_FLOAT_EQ(store.GetVariable(L'P', L"n", c.unit), c.expected)
            << testing::PrintToString(c.unit);
    }
}

TEST(GaugeVariableStore, RegistrationWalk) {
    GaugeVariableStore store;
    store.RegisterScript(
        L"(A:One,knots) 1 if{ (E:Two,feet) 1 if{ 1 if{ (P:Three,deg) } } } "
        L"els{ (a:four,) } 5 (&gt;A:Written,knots) 6 (>A:Decoded,x) (L:Local,bool) "
        L"(A:ONE,KNOTS) (A:One,feet)");
    EXPECT_EQ(store.count, 5);
    ASSERT_EQ(store.names.size(), 5u);
    EXPECT_EQ(store.names[0], L"One");
    EXPECT_EQ(store.names[1], L"Two");
    EXPECT_EQ(store.names[2], L"Three");
    EXPECT_EQ(store.names[3], L"four");
    EXPECT_EQ(store.names[4], L"One");
    EXPECT_EQ(store.IndexOf(L"one", L"FEET"), 4);
    EXPECT_EQ(store.IndexOf(L"Written", L"knots"), -1);
    EXPECT_EQ(store.IndexOf(L"Local", L"bool"), -1);
    EXPECT_EQ(store.current, std::vector<float>(5, 0.0f));
    EXPECT_EQ(store.working, std::vector<float>(5, 0.0f));

    // A variable only written, or only in an unregistered (visibility)
    // script, reads 0.
    GaugeEvaluationContext context{&store, false};
    EXPECT_FLOAT_EQ(EvaluateScript(context, L"(A:Visible,bool)"), 0.0f);

    // Registering again keeps the indexes and zeroes the values.
    store.working[0] = 3.0f;
    store.RegisterScript(L"(A:One,knots)");
    EXPECT_EQ(store.count, 5);
    EXPECT_EQ(store.working[0], 0.0f);
}

TEST(GaugeVariableStore, UnknownKindsAndMissingArrays) {
    GaugeVariableStore store;
    store.AddVariable(L'L', L"X", L"bool");
    EXPECT_EQ(store.count, 0);
    // Added but the arrays not made yet: reads 0, writes are dropped.
    store.AddVariable(L'A', L"X", L"knots");
    EXPECT_EQ(store.count, 1);
    EXPECT_EQ(store.GetVariable(L'A', L"X", L"knots"), 0.0f);
    store.SetVariable(L'A', L"X", L"knots", 1.0f);
    EXPECT_TRUE(store.working.empty());
    // No store at all.
    GaugeEvaluationContext context;
    EXPECT_EQ(EvaluateScript(context, L"4 (&gt;A:X,knots) (A:X,knots) +"), 4.0f);
}

TEST(GaugeScriptTokens, LengthLimits) {
    GaugeVariableStore store;
    // A 256-digit token: 255 digits are read, the 256th is lost, so the
    // next token starts after it.
    std::wstring digits = std::wstring(253, L'0') + L"12";
    GaugeEvaluationContext context{&store, false};
    float expected = 12.0f;
    EXPECT_FLOAT_EQ(EvaluateScript(context, (digits + L"9").c_str()), expected);
    EXPECT_FLOAT_EQ(EvaluateScript(context, (digits + L"92 /").c_str()), expected / 2.0f);
    // After the lost "9" the text starts with a space: an empty token (0).
    EXPECT_FLOAT_EQ(EvaluateScript(context, (digits + L"9 2 +").c_str()), 2.0f);
    // The lost character was the separating space: "7" joins no token.
    EXPECT_FLOAT_EQ(EvaluateScript(context, (digits + L" 7").c_str()), 7.0f);
    EXPECT_FLOAT_EQ(EvaluateScript(context, (digits + L"x7").c_str()), 7.0f);

    // A name of 300 characters: the token is cut at 255 characters, so the
    // variable registered and the one read are the same cut name.
    std::wstring name(300, L'N');
    std::wstring token = L"(A:" + name + L",knots)";
    store.RegisterScript(token.c_str());
    ASSERT_EQ(store.count, 1);
    EXPECT_EQ(store.names[0], std::wstring(252, L'N'));
    store.working[0] = 6.0f;
    EXPECT_FLOAT_EQ(EvaluateScript(context, token.c_str()), 6.0f);
}

TEST(GaugeScriptTokens, LargeStacksSpill) {
    std::wstring script;
    for (int i = 0; i < 1000; ++i)
        script += L"1 ";
    for (int i = 0; i < 999; ++i)
        script += L"+ ";
    GaugeEvaluationContext context;
    EXPECT_FLOAT_EQ(EvaluateScript(context, script.c_str()), 1000.0f);
}

}  // namespace
}  // namespace Orv
