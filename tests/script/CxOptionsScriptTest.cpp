#include "ScriptTestSupport.h"
#include "script/CxScriptApi.h"

#include <string>

namespace {
class OptionsScriptTest : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_EQ(BindCxOptions(engine), 0);
    }
    InTempDir dir;
};
}  // namespace

TEST_F(OptionsScriptTest, AScriptWritesAFileAndReadsItBack)
{
    Run("o = CxOptions() print(o:Create('game.ini'), o:GetFileName())"
        " o:SetString('Pet', 'Name', 'Tibbles') o:SetInt('Pet', 'Age', 3.8) o:SetFloat('Pet', 'Weight', 4.25)"
        " o:AddSetting('Pet', 'Toy', 'ball') o:AddSetting('Pet', 'Toy', 'mouse')"
        " print(o:Save(), o:Save())");
    EXPECT_EQ(ReadFileBytes("game.ini"), "[Pet]\r\nName=Tibbles\r\nAge=3\r\nWeight=4.250000\r\nToy=ball\r\nToy=mouse\r\n");
    EXPECT_EQ(Run("p = CxOptions() print(p:Open('game.ini'), p:GetString('pet', 'NAME'), p:GetInt('Pet', 'Age', 0),"
                  " p:GetFloat('Pet', 'Weight', 0), p:GetString('Pet', 'Toy'), p:GetString('Pet', 'None'))"),
              "0    Tibbles    3    4.25    ball    \n");
    EXPECT_EQ(Run("print(p:GetString('Pet', 'None', 'fallback'), p:GetInt('Pet', 'None', -7), p:GetFloat('X', 'Y', 1.5))"),
              "fallback    -7    1.5\n");
    EXPECT_EQ(Run("print(CxOptions():Open('missing.ini'))"), "9\n");
}

TEST_F(OptionsScriptTest, GetSectionMapsKeysToTextsWithTheLaterDuplicateWinning)
{
    WriteFileBytes("s.ini", "[A]\nx=1\ny = two\nx=3\n[B]\n");
    EXPECT_EQ(Run("o = CxOptions() o:Open('s.ini') local t = o:GetSection('A') print(t.x, t.y, type(t.x))"),
              "3    two    string\n");
    EXPECT_EQ(Run("print(next(o:GetSection('B')), next(o:GetSection('Nope')))"), "nil    nil\n");
}

TEST_F(OptionsScriptTest, NumericPairsReadTwoNumbersWithTheirDefaults)
{
    WriteFileBytes("p.ini", "[P]\nboth=1.5, -2\none=7\n");
    EXPECT_EQ(Run("o = CxOptions() o:Open('p.ini') print(o:GetNumericPair('P', 'both'))"
                  " print(o:GetNumericPair('P', 'one', 9, 9)) print(o:GetNumericPair('P', 'none', 3, 4))"
                  " print(o:GetNumericPair('P', 'none'))"),
              "1.5    -2\n7    0\n3    4\n0    0\n");
}

TEST_F(OptionsScriptTest, DeletingAndClosingAnswerTheirCodes)
{
    WriteFileBytes("d.ini", "[A]\nk=v\n[B]\nj=w\n");
    EXPECT_EQ(Run("o = CxOptions() o:Open('d.ini') print(o:DeleteSetting('A', 'k'), o:DeleteSection('B'),"
                  " o:AddSetting('C', 'n', 'm')) print(o:Close()) print(o:GetString('C', 'n', 'gone'))"),
              "0    0    0\n\ngone\n");
    EXPECT_EQ(ReadFileBytes("d.ini"), "[A]\r\n\r\n[C]\r\nn=m\r\n");
    EXPECT_EQ(Run("o:SetString('Z', 'k', 'v') print(o:SaveAs('e.ini'), o:Commit())"), "0    0\n");
    EXPECT_EQ(ReadFileBytes("e.ini"), "[Z]\r\nk=v\r\n");
}

TEST_F(OptionsScriptTest, ReadTextsAreCutAt255Characters)
{
    std::string longValue(400, 'v');
    WriteFileBytes("l.ini", "[L]\nk=" + longValue + "\n");
    EXPECT_EQ(Run("o = CxOptions() o:Open('l.ini') print(#o:GetString('L', 'k'))"), "255\n");
}

TEST_F(OptionsScriptTest, ACollectedObjectSavesItsPendingChanges)
{
    Run("local o = CxOptions() o:Create('gc.ini') o:SetString('S', 'k', 'v') o = nil collectgarbage('collect')");
    EXPECT_EQ(ReadFileBytes("gc.ini"), "[S]\r\nk=v\r\n");
}
