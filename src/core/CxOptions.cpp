#include "core/CxOptions.h"
#include "core/CxCoreFiles.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void TrimRight(char* text)
{
    size_t n = strlen(text);
    while (n > 0 && IsBlank(text[n - 1])) text[--n] = 0;
}

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text)) ++text;
    return text;
}

int32_t ParseInt(const char* text) { return int32_t(strtol(text, nullptr, 10)); }
}  // namespace

// ------------------------------------------------------------- sections
CxOptionSection::~CxOptionSection()
{
    while (!variables.IsEmpty()) delete variables.RemoveHead();
}

CxOptionVariable* CxOptionSection::First()
{
    cursor_ = variables.GetHead();
    return cursor_ ? cursor_->value : nullptr;
}

CxOptionVariable* CxOptionSection::Next()
{
    if (cursor_) cursor_ = cursor_->next;
    return cursor_ ? cursor_->value : nullptr;
}

CxOptionVariable* CxOptionSection::FindVariable(const char* key)
{
    for (auto* node = variables.GetHead(); node; node = node->next)
        if (node->value->key.CompareNoCase(key) == 0) {
            cursor_ = node;
            return node->value;
        }
    return nullptr;
}

// ------------------------------------------------------------- lifetime
CxOptions::CxOptions(const char* path) { Open(path); }

CxOptions::~CxOptions()
{
    Close();
}

void CxOptions::SetPath(const char* path) { CopyText(path_, path ? path : "", sizeof path_); }

void CxOptions::RemoveAllSections()
{
    while (!sections_.IsEmpty()) delete sections_.RemoveHead();
    currentSection_ = nullptr;
}

void CxOptions::Close()
{
    Save();
    RemoveAllSections();
    modified_ = false;
}

int CxOptions::Open(const char* path)
{
    Close();
    SetPath(path);
    return Load();
}

int CxOptions::Create(const char* path)
{
    Close();
    if (path && *path && GetCoreFileAccess().exists(path)) GetCoreFileAccess().remove(path);
    SetPath(path);
    return errorCode_;
}

int CxOptions::SaveAs(const char* path)
{
    SetPath(path);
    return Save();
}

// ------------------------------------------------------------- reading
int CxOptions::Load()
{
    Close();
    export_ = false;
    if (!path_[0] || (!openUnchecked_ && !GetCoreFileAccess().exists(path_))) return ERR_FILE_NOT_FOUND;

    char* text = nullptr;
    uint32_t read = 0;
    int code = GetCoreFileAccess().readAll(path_, &text, &read);
    if (code == ERR_OPEN_FILE) Error(code, "Could not open %s", path_);
    else if (code == ERR_OUT_OF_MEMORY) Error(code, "Out of memory reading %s", path_);
    else if (code) Error(code, "Unable to read %s", path_);
    if (code) return code;
    ParseBuffer(text, read);
    QorFree(text);
    FinishLoad();
    return 0;
}

int CxOptions::LoadFromMemory(const void* data, size_t size)
{
    Close();
    export_ = false;
    auto* text = static_cast<char*>(QorAlloc(size + 2, "CxOption", __LINE__, true));
    if (!text) return ERR_OUT_OF_MEMORY;
    if (size) memcpy(text, data, size);
    ParseBuffer(text, size);
    QorFree(text);
    FinishLoad();
    return 0;
}

void CxOptions::FinishLoad()
{
    modified_ = false;
    export_ = ReadInt("OptionController", "Export", 0) != 0;
}

// Lines end at every CR and LF; a zero byte ends a line's text early.
void CxOptions::ParseBuffer(char* text, size_t size)
{
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r') ++end;
        if (end > start) {
            text[end] = 0;   // the buffer has room for a terminator past the last byte
            if (text[start]) ParseLine(text + start);
        }
        start = end + 1;
    }
}

void CxOptions::ParseLine(char* line)
{
    char* comment = strchr(line, ';');
    if (comment) *comment = 0;
    TrimRight(line);
    if (line[0] == '[') {
        char* close = strchr(line, ']');
        if (close) close[1] = 0;
        AddSection(line);
        return;
    }
    char* equals = strchr(line, '=');
    if (!equals || equals == line || !currentSection_) return;
    *equals = 0;
    AddVariable(line, equals + 1, currentSection_);
}

CxOptionSection* CxOptions::AddSection(const char* name)
{
    auto* section = new CxOptionSection(name);
    sections_.AddTail(section);
    currentSection_ = section;
    return section;
}

void CxOptions::AddVariable(const char* key, const char* value, CxOptionSection* section)
{
    if (!section) section = currentSection_;
    if (!section || !key) return;
    CxString trimmedKey(key);
    while (trimmedKey.GetLength() && IsBlank(trimmedKey.LastChar())) trimmedKey.DeleteLast(1);
    CxString trimmedValue(SkipBlanks(value ? value : ""));
    while (trimmedValue.GetLength() && IsBlank(trimmedValue.LastChar())) trimmedValue.DeleteLast(1);
    section->variables.AddTail(new CxOptionVariable(trimmedKey, trimmedValue));
}

// ------------------------------------------------------------- lookups
CxOptionSection* CxOptions::FindSection(const char* name)
{
    if (!name) return nullptr;
    char bracketed[256];
    if (name[0] != '[') {
        snprintf(bracketed, sizeof bracketed, "[%s]", name);
        name = bracketed;
    }
    for (auto* node = sections_.GetHead(); node; node = node->next)
        if (node->value->name.CompareNoCase(name) == 0) return node->value;
    return nullptr;
}

CxOptionVariable* CxOptions::FindVariable(const char* section, const char* key)
{
    if (!key || !*key) return nullptr;
    CxOptionSection* found = FindSection(section);
    return found ? found->FindVariable(key) : nullptr;
}

// ------------------------------------------------------------- typed readers
int CxOptions::GetString(const char* section, const char* key, char* result, const char* def, int size)
{
    if (!result || size <= 0) return ERR_INVALID_ARGUMENT;
    CxOptionVariable* variable = FindVariable(section, key);
    const char* text = variable ? variable->value.Text() : (def ? def : "");
    if (!variable && export_) SetString(section, key, text);
    CopyText(result, text, size_t(size));
    return 0;
}

int CxOptions::GetInt(const char* section, const char* key, int32_t* result, int32_t def)
{
    char text[20], defText[24];
    snprintf(defText, sizeof defText, "%ld", long(def));
    GetString(section, key, text, defText, sizeof text);
    if (result) *result = ParseInt(text);
    return 0;
}

int CxOptions::GetFloat(const char* section, const char* key, float* result, float def)
{
    char text[32], defText[64];
    snprintf(defText, sizeof defText, "%f", double(def));
    GetString(section, key, text, defText, sizeof text);
    if (result) *result = float(atof(text));
    return 0;
}

int CxOptions::GetPoint(const char* section, const char* key, CxPoint* result, const CxPoint& def)
{
    char text[32], defText[32];
    snprintf(defText, sizeof defText, "%d,%d", int(def.x), int(def.y));
    GetString(section, key, text, defText, sizeof text);
    if (!result) return 0;
    char* comma = strchr(text, ',');
    if (comma) *comma = 0;
    result->x = ParseInt(text);
    result->y = comma ? ParseInt(comma + 1) : 0;
    return 0;
}

int CxOptions::GetRect(const char* section, const char* key, CxRect* result, const CxRect& def)
{
    char text[32], defText[64];
    snprintf(defText, sizeof defText, "%d, %d, %d, %d", int(def.left), int(def.top), int(def.right), int(def.bottom));
    GetString(section, key, text, defText, sizeof text);
    if (!result) return 0;
    int values[4] = {0, 0, 0, 0};
    sscanf(text, "%d, %d, %d, %d", &values[0], &values[1], &values[2], &values[3]);
    *result = CxRect{values[0], values[1], values[2], values[3]};
    return 0;
}

int CxOptions::GetVector(const char* section, const char* key, CxVector3* result, const CxVector3& def)
{
    char text[128], defText[192];
    snprintf(defText, sizeof defText, "%f,%f,%f", double(def.x), double(def.y), double(def.z));
    GetString(section, key, text, defText, sizeof text);
    if (!result) return 0;
    float parts[3] = {0, 0, 0};
    char* piece = text;
    for (int i = 0; i < 3 && piece; ++i) {
        char* comma = i < 2 ? strchr(piece, ',') : nullptr;
        if (comma) *comma = 0;
        parts[i] = float(atof(piece));
        piece = comma ? comma + 1 : nullptr;
    }
    *result = CxVector3{parts[0], parts[1], parts[2]};
    return 0;
}

int CxOptions::GetIntList(const char* section, const char* key, CxLinkedList<int32_t>* list)
{
    if (!section || !key || !list) return ERR_INVALID_ARGUMENT;
    list->RemoveAll();
    char text[2048];
    GetString(section, key, text, "", sizeof text);
    if (!text[0]) return 0;
    for (char* piece = text;;) {
        char* comma = strchr(piece, ',');
        if (comma) *comma = 0;
        list->AddTail(ParseInt(piece));
        if (!comma) break;
        piece = comma + 1;
    }
    return 0;
}

int32_t CxOptions::ReadInt(const char* section, const char* key, int32_t def)
{
    int32_t value = def;
    GetInt(section, key, &value, def);
    return value;
}

float CxOptions::ReadFloat(const char* section, const char* key, float def)
{
    float value = def;
    GetFloat(section, key, &value, def);
    return value;
}

CxString CxOptions::ReadString(const char* section, const char* key, const char* def)
{
    char text[2048];
    GetString(section, key, text, def, sizeof text);
    return CxString(text);
}

// ------------------------------------------------------------- changes
int CxOptions::SetString(const char* section, const char* key, const char* value)
{
    if (!section || !key) return ERR_INVALID_ARGUMENT;
    modified_ = true;
    if (CxOptionVariable* variable = FindVariable(section, key)) {
        variable->value = value ? value : "";
        return 0;
    }
    CxOptionSection* found = FindSection(section);
    if (!found) found = AddSection(CxString::FormatNew("[%s]", section));
    found->variables.AddTail(new CxOptionVariable(key, value ? value : ""));
    return 0;
}

int CxOptions::SetInt(const char* section, const char* key, int32_t value)
{
    char text[24];
    snprintf(text, sizeof text, "%ld", long(value));
    return SetString(section, key, text);
}

int CxOptions::SetIntList(const char* section, const char* key, CxLinkedList<int32_t>* list)
{
    if (!section || !key || !list) return ERR_INVALID_ARGUMENT;
    CxString text;
    for (auto* node = list->GetHead(); node; node = node->next) {
        char piece[24];
        snprintf(piece, sizeof piece, node == list->GetHead() ? "%ld" : ", %ld", long(node->value));
        text.Append(piece);
    }
    return SetString(section, key, text.Text());
}

int CxOptions::AddSetting(const char* section, const char* key, const char* value)
{
    if (!section || !key) return ERR_INVALID_ARGUMENT;
    modified_ = true;
    CxOptionSection* found = FindSection(section);
    if (!found) found = AddSection(CxString::FormatNew("[%s]", section));
    found->variables.AddTail(new CxOptionVariable(key, value ? value : ""));
    return 0;
}

int CxOptions::DeleteSetting(const char* section, const char* key)
{
    currentSection_ = nullptr;
    CxOptionSection* found = FindSection(section);
    if (!found || !key || !*key) return 0;
    for (auto* node = found->variables.GetHead(); node; node = node->next)
        if (node->value->key.CompareNoCase(key) == 0) {
            delete found->variables.RemoveAt(node);
            modified_ = true;
            break;
        }
    return 0;
}

int CxOptions::DeleteSection(const char* section)
{
    currentSection_ = nullptr;
    CxOptionSection* found = FindSection(section);
    if (!found) return 0;
    sections_.Remove(found);
    delete found;
    modified_ = true;
    return 0;
}

// ------------------------------------------------------------- writing
// Text mode on disc: every line ends with CR LF.
int CxOptions::Save()
{
    if (!modified_ || !path_[0]) {
        modified_ = false;
        return 0;
    }
    modified_ = false;
    std::string text;
    for (auto* node = sections_.GetHead(); node; node = node->next) {
        if (node != sections_.GetHead()) text += "\r\n";
        text += node->value->name.Text();
        text += "\r\n";
        for (auto* v = node->value->variables.GetHead(); v; v = v->next) {
            text += v->value->key.Text();
            text += '=';
            text += v->value->value.Text();
            text += "\r\n";
        }
    }

    int code = GetCoreFileAccess().replace(path_, text.data(), uint32_t(text.size()));
    if (code == ERR_CREATE_FILE) Error(code, "Unable to create %s.tmp", path_);
    else if (code) Error(ERR_WRITE_FILE, "Unable to write %s", path_);
    return code ? (code == ERR_CREATE_FILE ? code : ERR_WRITE_FILE) : 0;
}
