#include "plugin/gauges/gauge_script.h"

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <limits>

#include "plugin/core/trace.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_GDP_PANEL;
constexpr float kPi = 3.1415927f;

wchar_t Fold(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether text equals word (lower case ASCII) in any letter case.
bool Equals(std::wstring_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Fold(text[i]) != static_cast<wchar_t>(word[i]))
            return false;
    return true;
}

bool StartsWith(std::wstring_view text, std::string_view word) {
    return text.size() >= word.size() && Equals(text.substr(0, word.size()), word);
}

// The key name + "," + unit, character i, without building it.
struct JoinedKey {
    const GaugeVariableStore::KeyView& key;
    size_t size() const { return key.name.size() + 1 + key.unit.size(); }
    wchar_t operator[](size_t i) const {
        if (i < key.name.size())
            return key.name[i];
        if (i == key.name.size())
            return L',';
        return key.unit[i - key.name.size() - 1];
    }
};

template <typename A, typename B>
bool FoldedLess(const A& a, const B& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = Fold(a[i]);
        wchar_t y = Fold(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

bool IsVariableKind(wchar_t kind) {
    wchar_t k = Fold(kind);
    return k == L'a' || k == L'e' || k == L'p';
}

// Truncation toward zero to a 32-bit integer; NaN and values outside the
// range give the processor's "integer indefinite", INT32_MIN.
int32_t Truncate(float x) {
    if (!(x > -2147483904.0f && x < 2147483648.0f))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}

// x brought into [0, turn] by whole turns (turn itself stays).
float Normalise(float x, float turn) {
    if (std::isinf(x))
        return std::numeric_limits<float>::quiet_NaN();
    if (x > turn * 1000.0f || x < -turn * 1000.0f)
        x = std::fmod(x, turn);
    while (x > turn)
        x -= turn;
    while (x < 0.0f)
        x += turn;
    return x;
}

// The operand stack: values on the C stack, the heap only past
// kInlineStackDepth.
class OperandStack {
public:
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    float top() const { return At(size_ - 1); }
    float pop() { return At(--size_); }
    void clear() { size_ = 0; }
    void push(float v) {
        if (size_ < kInlineStackDepth) {
            inline_[size_] = v;
        } else {
            size_t spill = size_ - kInlineStackDepth;
            if (spill < heap_.size())
                heap_[spill] = v;
            else
                heap_.push_back(v);
        }
        ++size_;
    }

private:
    float At(size_t i) const {
        return i < kInlineStackDepth ? inline_[i] : heap_[i - kInlineStackDepth];
    }

    float inline_[kInlineStackDepth];
    std::vector<float> heap_;
    size_t size_ = 0;
};

// Cuts a script into tokens.  The text ends at its end or at a NUL.
class Tokenizer {
public:
    explicit Tokenizer(std::wstring_view text) : text_(text) {
        size_t nul = text_.find(L'\0');
        if (nul != std::wstring_view::npos)
            text_ = text_.substr(0, nul);
    }

    bool Next(std::wstring_view* token) {
        if (pos_ >= text_.size())
            return false;
        size_t start = pos_;
        int paren = 0;
        int brace = 0;
        while (pos_ < text_.size()) {
            if (pos_ - start == kMaxScriptToken) {
                *token = text_.substr(start, kMaxScriptToken);
                ++pos_;  // the character after a full token is lost
                return true;
            }
            wchar_t c = text_[pos_];
            if (c == L' ' && paren <= 0 && brace < 1) {
                *token = text_.substr(start, pos_ - start);
                ++pos_;
                return true;
            }
            if (c == L'(')
                ++paren;
            else if (c == L')')
                --paren;
            else if (c == L'{')
                ++brace;
            else if (c == L'}')
                --brace;
            ++pos_;
        }
        *token = text_.substr(start);
        return true;
    }

private:
    std::wstring_view text_;
    size_t pos_ = 0;
};

enum class TokenClass {
    Number,
    StackWord,
    Unary,
    Binary,
    Comparison,
    If,
    Else,
    Write,
    Read,
    Other,
};

enum class Op : uint8_t {
    // stack words
    Pi,
    Drop,
    Clear,
    // unary
    Negate,
    Increment,
    Decrement,
    Truncate,
    Abs,
    Floor,
    Ceil,
    Cos,
    Sin,
    Tan,
    Acos,
    Asin,
    Atan,
    Ln,
    Exp,
    Square,
    Sqrt,
    Duplicate,
    Pop,
    Same,
    DegNorm,
    RadNorm,
    RadToDeg,
    DegToRad,
    // binary
    Add,
    Subtract,
    Multiply,
    Divide,
    Min,
    Max,
    Pow,
    Atan2,
    IntDivide,
    Log,
    Swap,
    // comparisons
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterEqual,
    LessEqual,
};

struct Word {
    std::string_view name;
    TokenClass tokenClass;
    Op op;
};

// In the order of the classes: the unary table before the binary one, so
// that "%" is always the unary function.
constexpr Word kWords[] = {
    {"pi", TokenClass::StackWord, Op::Pi},
    {"b", TokenClass::StackWord, Op::Drop},
    {"c", TokenClass::StackWord, Op::Clear},
    {"/-/", TokenClass::Unary, Op::Negate},
    {"++", TokenClass::Unary, Op::Increment},
    {"--", TokenClass::Unary, Op::Decrement},
    {"%", TokenClass::Unary, Op::Truncate},
    {"abs", TokenClass::Unary, Op::Abs},
    {"flr", TokenClass::Unary, Op::Floor},
    {"ceil", TokenClass::Unary, Op::Ceil},
    {"cos", TokenClass::Unary, Op::Cos},
    {"sin", TokenClass::Unary, Op::Sin},
    {"tg", TokenClass::Unary, Op::Tan},
    {"acos", TokenClass::Unary, Op::Acos},
    {"asin", TokenClass::Unary, Op::Asin},
    {"atg", TokenClass::Unary, Op::Atan},
    {"lg", TokenClass::Unary, Op::Ln},
    {"ln", TokenClass::Unary, Op::Ln},
    {"exp", TokenClass::Unary, Op::Exp},
    {"sqr", TokenClass::Unary, Op::Square},
    {"sqrt", TokenClass::Unary, Op::Sqrt},
    {"d", TokenClass::Unary, Op::Duplicate},
    {"p", TokenClass::Unary, Op::Pop},
    {"ctg", TokenClass::Unary, Op::Same},
    {"eps", TokenClass::Unary, Op::Same},
    {"near", TokenClass::Unary, Op::Same},
    {"dnor", TokenClass::Unary, Op::DegNorm},
    {"d360", TokenClass::Unary, Op::DegNorm},
    {"rdeg", TokenClass::Unary, Op::DegNorm},
    {"rnor", TokenClass::Unary, Op::RadNorm},
    {"rddg", TokenClass::Unary, Op::RadToDeg},
    {"dgrd", TokenClass::Unary, Op::DegToRad},
    {"+", TokenClass::Binary, Op::Add},
    {"-", TokenClass::Binary, Op::Subtract},
    {"*", TokenClass::Binary, Op::Multiply},
    {"/", TokenClass::Binary, Op::Divide},
    {"min", TokenClass::Binary, Op::Min},
    {"max", TokenClass::Binary, Op::Max},
    {"pow", TokenClass::Binary, Op::Pow},
    {"atn2", TokenClass::Binary, Op::Atan2},
    {"div", TokenClass::Binary, Op::IntDivide},
    {"log", TokenClass::Binary, Op::Log},
    {"r", TokenClass::Binary, Op::Swap},
    {"==", TokenClass::Comparison, Op::Equal},
    {"!=", TokenClass::Comparison, Op::NotEqual},
    {"&gt;", TokenClass::Comparison, Op::Greater},
    {"&lt;", TokenClass::Comparison, Op::Less},
    {"&gt;=", TokenClass::Comparison, Op::GreaterEqual},
    {"&lt;=", TokenClass::Comparison, Op::LessEqual},
    {">", TokenClass::Comparison, Op::Greater},
    {"<", TokenClass::Comparison, Op::Less},
    {">=", TokenClass::Comparison, Op::GreaterEqual},
    {"<=", TokenClass::Comparison, Op::LessEqual},
};

constexpr size_t kLongestWord = 5;

struct Classified {
    TokenClass tokenClass;
    Op op;
};

bool IsDigits(std::wstring_view token) {
    for (wchar_t c : token)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

Classified Classify(std::wstring_view token) {
    if (IsDigits(token))
        return {TokenClass::Number, Op::Pi};
    if (token.size() <= kLongestWord)
        for (const Word& word : kWords)
            if (Equals(token, word.name))
                return {word.tokenClass, word.op};
    if (StartsWith(token, "if{"))
        return {TokenClass::If, Op::Pi};
    if (StartsWith(token, "els{"))
        return {TokenClass::Else, Op::Pi};
    if (!token.empty() && token[0] == L'(') {
        if (token.size() >= 2 && (token[1] == L'&' || token[1] == L'>'))
            return {TokenClass::Write, Op::Pi};
        return {TokenClass::Read, Op::Pi};
    }
    return {TokenClass::Other, Op::Pi};
}

// A digits-only token's value, as wcstod reads it.
float NumberValue(std::wstring_view token) {
    if (token.size() <= 15) {
        double value = 0.0;
        for (wchar_t c : token)
            value = value * 10.0 + static_cast<double>(c - L'0');
        return static_cast<float>(value);
    }
    wchar_t buffer[kMaxScriptToken + 1];
    token.copy(buffer, token.size());
    buffer[token.size()] = L'\0';
    return static_cast<float>(std::wcstod(buffer, nullptr));
}

// The text between an if{ or els{ token's first "{" (and the "{" and spaces
// after it) and the character before its last "}" (the space that the
// author writes before it): "if{ 1 }" holds "1", "if{1}" nothing.
std::wstring_view BlockOf(std::wstring_view token) {
    size_t open = token.find(L'{');
    size_t close = token.rfind(L'}');
    if (open == std::wstring_view::npos || close == std::wstring_view::npos || close <= open)
        return {};
    size_t start = open + 1;
    size_t end = close - 1;
    while (start < end && (token[start] == L'{' || token[start] == L' '))
        ++start;
    return start < end ? token.substr(start, end - start) : std::wstring_view();
}

struct VariableToken {
    wchar_t kind = L' ';
    std::wstring_view name;
    std::wstring_view unit;
};

std::wstring_view SkipSpaces(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    return text.substr(i);
}

VariableToken ParseVariable(std::wstring_view token) {
    VariableToken v;
    size_t colon = token.find(L':');
    if (colon == std::wstring_view::npos)
        return v;
    v.kind = colon > 0 ? token[colon - 1] : L' ';
    size_t comma = token.rfind(L',');
    size_t close = token.rfind(L')');
    size_t nameStart = colon + 1;
    size_t nameEnd = comma != std::wstring_view::npos   ? comma
                     : close != std::wstring_view::npos ? close
                                                        : token.size();
    if (nameEnd > nameStart)
        v.name = SkipSpaces(token.substr(nameStart, nameEnd - nameStart));
    if (comma != std::wstring_view::npos) {
        size_t unitEnd = close != std::wstring_view::npos && close > comma ? close : token.size();
        if (close != std::wstring_view::npos && close < comma)
            unitEnd = comma + 1;
        v.unit = SkipSpaces(token.substr(comma + 1, unitEnd - (comma + 1)));
    }
    if (v.name.size() > kMaxScriptToken)
        v.name = v.name.substr(0, kMaxScriptToken);
    if (v.unit.size() > kMaxScriptToken)
        v.unit = v.unit.substr(0, kMaxScriptToken);
    return v;
}

float Unary(Op op, float x) {
    switch (op) {
        case Op::Negate:
            return -x;
        case Op::Increment:
            return x + 1.0f;
        case Op::Decrement:
            return x - 1.0f;
        case Op::Truncate:
            return static_cast<float>(Truncate(x));
        case Op::Abs:
            return std::fabs(x);
        case Op::Floor:
            return std::floor(x);
        case Op::Ceil:
            return std::ceil(x);
        case Op::Cos:
            return std::cos(x);
        case Op::Sin:
            return std::sin(x);
        case Op::Tan:
            return std::tan(x);
        case Op::Acos:
            return std::acos(x);
        case Op::Asin:
            return std::asin(x);
        case Op::Atan:
            return std::atan(x);
        case Op::Ln:
            return std::log(x);
        case Op::Exp:
            return std::exp(x);
        case Op::Square:
            return x * x;
        case Op::Sqrt:
            return std::sqrt(x);
        case Op::DegNorm:
            return Normalise(x, 360.0f);
        case Op::RadNorm:
            return Normalise(x, 6.2831855f);
        case Op::RadToDeg:
            return x * 180.0f / kPi;
        case Op::DegToRad:
            return x * kPi / 180.0f;
        default:
            return x;
    }
}

float IntegerQuotient(float a, float b) {
    int64_t n = Truncate(a);
    int64_t d = Truncate(b);
    if (d == 0)
        return 0.0f;
    return static_cast<float>(n / d);
}

float Binary(Op op, float a, float b) {
    switch (op) {
        case Op::Add:
            return a + b;
        case Op::Subtract:
            return a - b;
        case Op::Multiply:
            return a * b;
        case Op::Divide:
            return a / b;
        case Op::Min:
            return b > a ? a : b;
        case Op::Max:
            return a > b ? a : b;
        case Op::Pow:
            return std::pow(a, b);
        case Op::Atan2:
            return std::atan2(a, b);
        case Op::IntDivide:
            return IntegerQuotient(a, b);
        default:
            return 0.0f;
    }
}

bool Compare(Op op, float a, float b) {
    switch (op) {
        case Op::Equal:
            return a == b;
        case Op::NotEqual:
            return a != b;
        case Op::Greater:
            return a > b;
        case Op::Less:
            return a < b;
        case Op::GreaterEqual:
            return a >= b;
        default:
            return a <= b;
    }
}

float Evaluate(GaugeEvaluationContext& context, std::wstring_view script);

float EvaluateBlock(GaugeVariableStore* store, std::wstring_view token) {
    std::wstring_view block = BlockOf(token);
    if (block.empty())
        return 0.0f;
    GaugeEvaluationContext inner{store, false};
    return Evaluate(inner, block);
}

float Evaluate(GaugeEvaluationContext& context, std::wstring_view script) {
    OperandStack stack;
    Tokenizer tokens(script);
    std::wstring_view token;
    while (tokens.Next(&token)) {
        Classified c = Classify(token);
        switch (c.tokenClass) {
            case TokenClass::Number:
                stack.push(NumberValue(token));
                break;
            case TokenClass::StackWord:
                if (c.op == Op::Pi)
                    stack.push(kPi);
                else if (c.op == Op::Clear)
                    stack.clear();
                else if (!stack.empty())
                    stack.pop();
                break;
            case TokenClass::Unary: {
                if (stack.empty())
                    break;
                float x = stack.pop();
                if (c.op == Op::Duplicate) {
                    stack.push(x);
                    stack.push(x);
                } else if (c.op != Op::Pop) {
                    stack.push(Unary(c.op, x));
                }
                break;
            }
            case TokenClass::Binary: {
                if (stack.size() < 2)
                    break;
                float b = stack.pop();
                float a = stack.pop();
                if (c.op == Op::Swap) {
                    stack.push(b);
                    stack.push(a);
                } else {
                    stack.push(Binary(c.op, a, b));
                }
                break;
            }
            case TokenClass::Comparison: {
                if (stack.size() < 2)
                    break;
                float b = stack.pop();
                float a = stack.pop();
                stack.push(Compare(c.op, a, b) ? 1.0f : 0.0f);
                break;
            }
            case TokenClass::If:
                if (stack.empty())
                    break;
                context.lastCondition = stack.pop() > 0.0f;
                if (context.lastCondition)
                    stack.push(EvaluateBlock(context.store, token));
                break;
            case TokenClass::Else:
                if (!context.lastCondition)
                    stack.push(EvaluateBlock(context.store, token));
                break;
            case TokenClass::Read: {
                VariableToken v = ParseVariable(token);
                stack.push(context.store ? context.store->GetVariable(v.kind, v.name, v.unit)
                                         : 0.0f);
                break;
            }
            case TokenClass::Write:
                if (!stack.empty() && context.store) {
                    VariableToken v = ParseVariable(token);
                    context.store->SetVariable(v.kind, v.name, v.unit, stack.top());
                }
                break;
            case TokenClass::Other:
                break;
        }
    }
    return stack.empty() ? 0.0f : stack.top();
}

void Register(GaugeVariableStore& store, std::wstring_view script) {
    Tokenizer tokens(script);
    std::wstring_view token;
    while (tokens.Next(&token)) {
        switch (Classify(token).tokenClass) {
            case TokenClass::Read: {
                VariableToken v = ParseVariable(token);
                store.AddVariable(v.kind, v.name, v.unit);
                break;
            }
            case TokenClass::If:
            case TokenClass::Else:
                Register(store, BlockOf(token));
                break;
            default:
                break;
        }
    }
}

}  // namespace

bool GaugeVariableStore::KeyLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return FoldedLess(a, b);
}
bool GaugeVariableStore::KeyLess::operator()(const std::wstring& a, const KeyView& b) const {
    return FoldedLess(a, JoinedKey{b});
}
bool GaugeVariableStore::KeyLess::operator()(const KeyView& a, const std::wstring& b) const {
    return FoldedLess(JoinedKey{a}, b);
}

void GaugeVariableStore::RegisterScript(const wchar_t* script) {
    ORV_TRACE_SCOPE(kKeyword);
    if (script)
        Register(*this, script);
    current.assign(static_cast<size_t>(count), 0.0f);
    working.assign(static_cast<size_t>(count), 0.0f);
}

void GaugeVariableStore::AddVariable(wchar_t kind, std::wstring_view name, std::wstring_view unit) {
    ORV_TRACE_SCOPE(kKeyword);
    if (!IsVariableKind(kind) || keys.find(KeyView{name, unit}) != keys.end())
        return;
    std::wstring key;
    key.reserve(name.size() + 1 + unit.size());
    key.append(name).append(1, L',').append(unit);
    names.emplace_back(name);
    keys.emplace(std::move(key), count);
    ++count;
}

int32_t GaugeVariableStore::IndexOf(std::wstring_view name, std::wstring_view unit) const {
    auto it = keys.find(KeyView{name, unit});
    return it == keys.end() ? -1 : it->second;
}

float GaugeVariableStore::GetVariable(wchar_t kind, std::wstring_view name,
                                      std::wstring_view unit) const {
    ORV_TRACE_SCOPE(kKeyword);
    if (!IsVariableKind(kind))
        return 0.0f;
    int32_t index = IndexOf(name, unit);
    if (index < 0 || index >= count || static_cast<size_t>(index) >= working.size())
        return 0.0f;
    float value = working[static_cast<size_t>(index)];
    if (Equals(unit, "ndegree"))
        return value * -0.017453292f;
    if (Equals(unit, "pdegree"))
        return value * 0.017453292f;
    if (Equals(unit, "negative"))
        return -value;
    if (Equals(unit, "degcf"))
        return value * 1.8f + 32.0f;
    if (Equals(unit, "lbs"))
        return value * 0.453592f;
    if (Equals(unit, "psi"))
        return value * 144.0f;
    return value;
}

void GaugeVariableStore::SetVariable(wchar_t kind, std::wstring_view name, std::wstring_view unit,
                                     float value) {
    ORV_TRACE_SCOPE(kKeyword);
    if (!IsVariableKind(kind))
        return;
    int32_t index = IndexOf(name, unit);
    if (index < 0 || index >= count || static_cast<size_t>(index) >= working.size())
        return;
    working[static_cast<size_t>(index)] = value;
}

float EvaluateScript(GaugeEvaluationContext& context, const wchar_t* script) {
    ORV_TRACE_SCOPE(kKeyword);
    if (!script)
        return 0.0f;
    return Evaluate(context, std::wstring_view(script));
}

}  // namespace Orv
