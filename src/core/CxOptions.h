// One ".ini" file in memory: sections of key=value lines.  Duplicated
// sections and keys are kept and written back; lookups find the first.
// Writing replaces the file crash-safely: a temporary file beside it is
// written in full and then renamed over the old one.
#pragma once
#include "core/CxError.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <cstdint>

struct CxVector3 {
    float x = 0, y = 0, z = 0;
};

class CxOptionVariable : public CxError, public CxObject {
public:
    CxOptionVariable(const char* k, const char* v) : key(k), value(v) {}
    CxString key;
    CxString value;
};

class CxOptionSection : public CxError, public CxObject {
public:
    explicit CxOptionSection(const char* n) : name(n) {}
    ~CxOptionSection() override;

    CxOptionVariable* First();
    CxOptionVariable* Next();
    CxOptionVariable* FindVariable(const char* key);

    CxString name;   // with its brackets: "[Engine]"
    CxLinkedList<CxOptionVariable*> variables;

private:
    CxListNode<CxOptionVariable*>* cursor_ = nullptr;
};

class CxOptions : public CxError {
public:
    CxOptions() = default;
    explicit CxOptions(const char* path);
    CxOptions(const CxOptions&) = delete;
    CxOptions& operator=(const CxOptions&) = delete;

    // Virtual operations, in slot order after the destructor.
    ~CxOptions() override;
    virtual int  Save();
    virtual int  SetIntList(const char* section, const char* key, CxLinkedList<int32_t>* list);
    virtual int  SetInt(const char* section, const char* key, int32_t value);
    virtual int  SetString(const char* section, const char* key, const char* value);
    virtual int  GetIntList(const char* section, const char* key, CxLinkedList<int32_t>* list);
    virtual int  GetRect(const char* section, const char* key, CxRect* result, const CxRect& def);
    virtual int  GetVector(const char* section, const char* key, CxVector3* result, const CxVector3& def);
    virtual int  GetPoint(const char* section, const char* key, CxPoint* result, const CxPoint& def);
    virtual int  GetFloat(const char* section, const char* key, float* result, float def);
    virtual int  GetInt(const char* section, const char* key, int32_t* result, int32_t def);
    virtual int  GetString(const char* section, const char* key, char* result, const char* def, int size);
    virtual int  AddSetting(const char* section, const char* key, const char* value);
    virtual int  DeleteSetting(const char* section, const char* key);
    virtual int  DeleteSection(const char* section);
    virtual CxOptionSection* AddSection(const char* name);
    virtual void AddVariable(const char* key, const char* value, CxOptionSection* section);
    virtual void ParseLine(char* line);

    int  Load();
    // Parses text as if it were the file's contents; the path is kept.
    int  LoadFromMemory(const void* data, size_t size);
    int  Open(const char* path);
    int  Create(const char* path);
    void Close();
    int  SaveAs(const char* path);
    CxOptionSection*  FindSection(const char* name);
    CxOptionVariable* FindVariable(const char* section, const char* key);

    // Conveniences over the typed readers for callers that want values back.
    int32_t  ReadInt(const char* section, const char* key, int32_t def);
    float    ReadFloat(const char* section, const char* key, float def);
    CxString ReadString(const char* section, const char* key, const char* def);

    const char* GetPath() const { return path_; }
    bool IsModified() const { return modified_; }
    bool IsExport() const { return export_; }
    void SetOpenUnchecked(bool on) { openUnchecked_ = on; }
    CxLinkedList<CxOptionSection*>& Sections() { return sections_; }

protected:
    void SetPath(const char* path);

private:
    void RemoveAllSections();
    void ParseBuffer(char* text, size_t size);
    void FinishLoad();

    char path_[256] = {};
    CxLinkedList<CxOptionSection*> sections_;
    CxOptionSection* currentSection_ = nullptr;
    bool modified_ = false;
    bool export_ = false;
    bool openUnchecked_ = false;
};
