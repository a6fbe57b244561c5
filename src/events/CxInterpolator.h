// Named text variables and their expansion in event texts, sequence files
// and sequence file names: "$name" or "${name}" (braced names may themselves
// contain variables).  Names compare exactly; letter case matters.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CxVariable : public CxObject {
public:
    virtual const char* GetName() const = 0;
    virtual const char* GetValue() const = 0;
    virtual CxVariable* Clone() const = 0;
};

class CStringConstantVariable : public CxVariable {
public:
    CStringConstantVariable(const char* name, const char* value) : name_(name), value_(value) {}
    const char* GetName() const override { return name_.Text(); }
    const char* GetValue() const override { return value_.Text(); }
    CxVariable* Clone() const override { return new CStringConstantVariable(name_, value_); }

private:
    CxString name_;
    CxString value_;
};

class CxInterpolator : public CxObject {
public:
    CxInterpolator() = default;
    CxInterpolator(const CxInterpolator& other) { *this = other; }
    CxInterpolator& operator=(const CxInterpolator& other);
    ~CxInterpolator() override { RemoveAll(); }

    void SetVariable(const char* name, const char* value);
    void SetVariableNumber(const char* name, int number, const char* format = nullptr);
    CxVariable* FindVariable(const char* name) const;
    void RemoveVariable(const char* name);
    void RemoveAll();
    int Count() const { return variables_.GetCount(); }

    CxString Expand(const char* text) const;

private:
    // Expands text[from, to) into out; false when a "${" never closes.
    bool ExpandRange(const char* text, const char* end, CxString& out) const;

    CxLinkedList<CxVariable*> variables_;
};

// The application's global interpolator; created on first use.
CxInterpolator& GetGlobalInterpolator();
