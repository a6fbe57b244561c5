// Helpers shared by the test programs.
#pragma once
#include <string>

// A fresh empty folder under the system's temporary folder, removed when the
// object goes; tests that write files work in one.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A temporary folder that is also the current folder while the object lives:
// engine paths without a file-system prefix resolve relative to it.
class InTempDir : public TempDir {
public:
    InTempDir();
    ~InTempDir();

private:
    std::string previous_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
