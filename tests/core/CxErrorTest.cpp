#include "ErrorCapture.h"
#include "core/CxError.h"

#include <gtest/gtest.h>
#include <string>

namespace {
class Reporter : public CxError {};

std::string gPrinted;
void Listen(const char* text) { gPrinted += text; }

// A callback that reports again while the first report is handled.
int ReportFromInside(int code, const char* message)
{
    ErrorCapture::Reports().push_back({code, message});
    static Reporter inner;
    inner.Error(ERR_DISK, "nested");
    EXPECT_EQ(inner.GetErrorCode(), ERR_DISK);
    return 7;
}
}  // namespace

TEST(CxError, ReportsAreStoredCountedAndHandedToTheCallback)
{
    ErrorCapture capture;
    ErrorCapture::Answer() = 5;   // the callback's answer never stands for the code
    Reporter object;
    EXPECT_EQ(object.Error(ERR_OPEN_FILE, "Could not open %s", "a.ini"), ERR_OPEN_FILE);
    EXPECT_EQ(object.GetErrorCode(), ERR_OPEN_FILE);
    EXPECT_EQ(GetErrorCount(), 1);
    EXPECT_EQ(GetLastErrorCode(), ERR_OPEN_FILE);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].message, "Could not open a.ini");

    EXPECT_EQ(object.Error(0), 0);   // clears without counting or calling
    EXPECT_EQ(object.GetErrorCode(), 0);
    EXPECT_EQ(GetErrorCount(), 1);
    EXPECT_EQ(capture.Reports().size(), 1u);

    EXPECT_EQ(ReportError(ERR_CRC, nullptr), ERR_CRC);   // a null format gives an empty message
    EXPECT_EQ(capture.Reports().back().message, "");
    ReportError(0, "ignored");
    EXPECT_EQ(GetErrorCount(), 2);
    ErrorCapture::Answer() = 0;
}

TEST(CxError, AReportDuringAReportOnlyStoresItsCode)
{
    ErrorCapture capture;
    SetErrorCallback(ReportFromInside);
    Reporter outer;
    EXPECT_EQ(outer.Error(ERR_SCRIPTING, "outer"), ERR_SCRIPTING);
    EXPECT_EQ(GetErrorCount(), 1);
    EXPECT_EQ(capture.Reports().size(), 1u);
    EXPECT_FALSE(IsReportingError());
}

TEST(CxError, DirectCallbackCallsAreRecordedButNotCounted)
{
    ErrorCapture capture;
    CallErrorCallback(ERR_CD_MISSING, "Could not open %s", "disc.dat");
    EXPECT_EQ(GetLastErrorCode(), ERR_CD_MISSING);
    EXPECT_EQ(GetErrorCount(), 0);
    EXPECT_EQ(capture.Reports().back().message, "Could not open disc.dat");
}

TEST(CxError, LongMessagesAreCutToTheBuffer)
{
    ErrorCapture capture;
    std::string big(2000, 'm');
    ReportError(ERR_UNKNOWN, "%s", big.c_str());
    EXPECT_EQ(capture.Reports().back().message.size(), 511u);
}

TEST(CxError, NamesOfEveryCode)
{
    EXPECT_STREQ(GetErrorName(0), "No Error");
    EXPECT_STREQ(GetErrorName(9), "Could not find file");
    EXPECT_STREQ(GetErrorName(16), "Invalid arguement");
    EXPECT_STREQ(GetErrorName(21), "Direct3D Device not reset");
    EXPECT_STREQ(GetErrorName(26), "No Network Session Found");
    EXPECT_STREQ(GetErrorName(27), "Unknown user defined error");
    EXPECT_STREQ(GetErrorName(-1), "Unknown user defined error");
}

TEST(Print, WritesTheTextOnceUnformattedToTheListener)
{
    gPrinted.clear();
    SetPrintListener(Listen);
    Print("%s", "100% sure");
    Print("plain %d%%\n", 5);
    SetPrintListener(nullptr);
    EXPECT_EQ(gPrinted, "100% sureplain 5%\n");
}
