// The process entry point and the one static application object.
#include "game/CVornApp.h"

static CVornApp theApp;

int main(int argc, char** argv) { return QorMain(argc, argv); }
