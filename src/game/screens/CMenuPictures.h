// The menu rooms' own pictures (the radio and check boxes, the scroll
// thumb, the checkmark, the saved pets' pictures) are made at build time
// into "generated/UI" and named without a folder.  While a menu room runs,
// that folder is a file system of the chain ("<MenuPictures>"), so the bare
// names are found there.
#pragma once

class CxFileSystem;

class CMenuPictures {
public:
    static constexpr const char* kFolder = "/generated/UI";

    CMenuPictures() = default;
    ~CMenuPictures() { Unmount(); }
    CMenuPictures(const CMenuPictures&) = delete;
    CMenuPictures& operator=(const CMenuPictures&) = delete;

    void Mount();
    void Unmount();

private:
    CxFileSystem* files_ = nullptr;
};
