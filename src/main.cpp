// The process entry point and the one application object.
#include "game/CVornApp.h"
#include "game/CVornDataFolder.h"

#ifndef VORN_BUILD_DATA_DIR
#define VORN_BUILD_DATA_DIR ""
#endif

int main(int argc, char** argv)
{
    if (!EnterGameDataFolder(VORN_BUILD_DATA_DIR)) return 1;
    // Made only now: the application reads its options file in the data folder.
    static CVornApp theApp;
    return QorMain(argc, argv);
}
