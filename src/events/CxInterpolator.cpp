#include "events/CxInterpolator.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#pragma GCC diagnostic ignored "-Wformat-nonliteral"

CxInterpolator& CxInterpolator::operator=(const CxInterpolator& other)
{
    if (this == &other) return *this;
    RemoveAll();
    for (auto* node = other.variables_.GetHead(); node; node = node->next)
        variables_.AddTail(node->value->Clone());
    return *this;
}

void CxInterpolator::SetVariable(const char* name, const char* value)
{
    if (!name) return;
    RemoveVariable(name);
    variables_.AddTail(new CStringConstantVariable(name, value ? value : ""));
}

namespace {
// A format from data could ask for more arguments than the one number, or
// for a string: only a single integer conversion is accepted.
bool IsSingleIntegerFormat(const char* format)
{
    int conversions = 0;
    for (const char* at = std::strchr(format, '%'); at; at = std::strchr(at, '%')) {
        ++at;
        if (*at == '%') { ++at; continue; }
        at += std::strspn(at, "-+ #0123456789.");
        if (!std::strchr("dixXuo", *at)) return false;
        ++conversions;
    }
    return conversions == 1;
}
}  // namespace

void CxInterpolator::SetVariableNumber(const char* name, int number, const char* format)
{
    char text[64];
    if (!format || !IsSingleIntegerFormat(format)) format = "%d";
    snprintf(text, sizeof text, format, number);
    SetVariable(name, text);
}

CxVariable* CxInterpolator::FindVariable(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = variables_.GetHead(); node; node = node->next)
        if (std::strcmp(node->value->GetName(), name) == 0) return node->value;
    return nullptr;
}

void CxInterpolator::RemoveVariable(const char* name)
{
    for (auto* node = variables_.GetHead(); node; node = node->next)
        if (std::strcmp(node->value->GetName(), name) == 0) {
            delete variables_.RemoveAt(node);
            return;
        }
}

void CxInterpolator::RemoveAll()
{
    while (!variables_.IsEmpty()) delete variables_.RemoveHead();
}

CxString CxInterpolator::Expand(const char* text) const
{
    CxString out;
    if (!text) return out;
    ExpandRange(text, text + std::strlen(text), out);
    return out;
}

namespace {
bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The position of the "}" that closes the "{" before `from`, or null.
const char* MatchingBrace(const char* from, const char* end)
{
    int depth = 1;
    for (const char* at = from; at < end; ++at) {
        if (*at == '{') ++depth;
        else if (*at == '}' && --depth == 0) return at;
    }
    return nullptr;
}
}  // namespace

bool CxInterpolator::ExpandRange(const char* text, const char* end, CxString& out) const
{
    const char* at = text;
    while (at < end) {
        const char* dollar = static_cast<const char*>(std::memchr(at, '$', size_t(end - at)));
        if (!dollar) {
            out.Append(at, int(end - at));
            return true;
        }
        out.Append(at, int(dollar - at));
        if (dollar + 1 == end) {
            out.Append('$');
            return true;
        }
        CxString name;
        if (dollar[1] == '{') {
            const char* close = MatchingBrace(dollar + 2, end);
            if (!close) return false;   // cut before the unclosed "$"
            if (!ExpandRange(dollar + 2, close, name)) return false;
            at = close + 1;
        } else {
            const char* stop = dollar + 1;
            while (stop < end && IsNameCharacter(*stop)) ++stop;
            name.Append(dollar + 1, int(stop - dollar - 1));
            at = stop;
        }
        if (CxVariable* variable = FindVariable(name.Text())) {
            out.Append(variable->GetValue());
        } else {
            out.Append('$');
            out.Append(name);
        }
    }
    return true;
}

CxInterpolator& GetGlobalInterpolator()
{
    static CxInterpolator* global = new CxInterpolator;   // lives until the process ends
    return *global;
}
