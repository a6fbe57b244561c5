#include "game/screens/CMenuPictures.h"

#include "files/CxDirectoryFileSystem.h"

void CMenuPictures::Mount()
{
    if (!files_) files_ = new CxDirectoryFileSystem(kFolder, "<MenuPictures>");
}

void CMenuPictures::Unmount()
{
    delete files_;
    files_ = nullptr;
}
