// The gauge script language: small postfix scripts that a gauge file gives
// for an element's visibility, shift and rotation, and the table of
// variables they read and write.
//
// A script is cut into tokens at single spaces outside parentheses and
// braces; a token holds at most kMaxScriptToken characters (the character
// after a full token is dropped).  Tokens are classified, in this order, as a
// number (empty, or digits only), a stack word (pi, b, c), a unary function,
// a binary operator, a comparison, an if{ block, an els{ block, a variable
// write "(&gt;K:name,unit)", a variable read "(K:name,unit)", or nothing
// (ignored).  Every word matches in any ASCII letter case.  Scripts never
// fail: a word meeting too few operands is skipped, unknown variables read 0.
//
// Scripts come out of XML text, where the parser has already turned "&gt;"
// into ">": the comparisons ">", "<", ">=", "<=" and the write form
// "(>K:name,unit)" are accepted beside the entity spellings.
//
// Results chosen where the arithmetic has none:
//   - "div" truncates both operands toward zero to 32-bit integers; a
//     divisor of 0 gives 0, and -2147483648 / -1 gives 2147483648.
//   - Truncation of a NaN or of a value outside the 32-bit range ("%",
//     "div") gives -2147483648, as the processor's conversion does.
//   - "dnor" (and its synonyms) and "rnor" give the same value as repeated
//     subtraction or addition of the full turn; values more than a thousand
//     turns away are reduced with fmod instead, and an infinity gives NaN,
//     so that the evaluation always ends.
//
// Threading: a store and the evaluations on it belong to one thread at a
// time; its owner serialises the simulator-frame refresh and the rendering.
// An evaluation allocates nothing unless its script holds more than
// kInlineStackDepth values at once on its stack.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Orv {

// The longest token, and the longest variable name or unit.
inline constexpr size_t kMaxScriptToken = 255;

class GaugeVariableStore {
public:
    // Registers every variable that the script reads (inside if{ and els{
    // blocks too; write targets are not registered), then replaces both
    // value arrays with count zeros.  A null script only resets the arrays.
    void RegisterScript(const wchar_t* script);
    // Adds the variable name,unit when kind is A, E or P (either case) and
    // the key is new; anything else does nothing.
    void AddVariable(wchar_t kind, std::wstring_view name, std::wstring_view unit);
    // The working value converted by the unit; 0 for another kind, an
    // unknown key or arrays not yet made.
    float GetVariable(wchar_t kind, std::wstring_view name, std::wstring_view unit) const;
    // Sets the working value, unconverted, of a registered variable.
    void SetVariable(wchar_t kind, std::wstring_view name, std::wstring_view unit, float value);
    // The index of a registered variable, or -1.
    int32_t IndexOf(std::wstring_view name, std::wstring_view unit) const;

    // Keys compare by name + "," + unit with ASCII letters folded; the
    // comparator also takes a name and a unit apart, so that a lookup builds
    // no string.
    struct KeyView {
        std::wstring_view name;
        std::wstring_view unit;
    };
    struct KeyLess {
        using is_transparent = void;
        bool operator()(const std::wstring& a, const std::wstring& b) const;
        bool operator()(const std::wstring& a, const KeyView& b) const;
        bool operator()(const KeyView& a, const std::wstring& b) const;
    };

    // The values last taken from the simulator, and those that scripts read
    // and write (the simulator-frame side copies current into working).
    std::vector<float> current;
    std::vector<float> working;
    int32_t count = 0;
    std::map<std::wstring, int32_t, KeyLess> keys;
    // names[i]: the name (without unit) of the variable with index i.
    std::vector<std::wstring> names;
};

// One evaluation's context: the store (may be null: every variable reads 0)
// and the outcome of the most recent if{.  Each block gets a context of its
// own.
struct GaugeEvaluationContext {
    GaugeVariableStore* store = nullptr;
    bool lastCondition = false;
};

// The top of the stack after the script, or 0 when the stack ends empty or
// the script is null.  The text ends at its NUL.
float EvaluateScript(GaugeEvaluationContext& context, const wchar_t* script);

// Values an evaluation keeps on its own stack before it spills to the heap.
inline constexpr size_t kInlineStackDepth = 128;

}  // namespace Orv
