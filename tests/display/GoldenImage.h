// Comparing rendered pictures with golden images kept as Targa files under
// tests/data/display/.  With VORN_UPDATE_GOLDEN=1 in the environment the
// golden is written from the picture instead (and the check passes).  On a
// mismatch the picture is written to golden-actual/<name>.tga under the
// current folder (the build's tests folder under CTest), and the message says
// where, so the two can be looked at side by side.
#pragma once
#include "graphics/CxSurf.h"

#include <gtest/gtest.h>
#include <string>

::testing::AssertionResult MatchesGolden(CxDrawSurface& picture, const std::string& name);
