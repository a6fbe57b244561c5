#include "app/CxConsoleState.h"
#include "core/CxOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
std::vector<std::string> gRan;
int Record(const char* text)
{
    gRan.push_back(text);
    return 0;
}

std::vector<std::string> Lines(const CxLinkedList<CxString>& list)
{
    std::vector<std::string> lines;
    for (auto* n = list.GetHead(); n; n = n->next) lines.push_back(n->value.Text());
    return lines;
}
}  // namespace

TEST(ConsoleState, OutputSplitsLinesAndKeepsTheNewest)
{
    CxOptions options;
    options.SetString("Engine.Game.CommandConsole", "MaxOutputHistory", "3");
    CxConsoleState console(&options);
    console.Print("one\ntwo");
    EXPECT_EQ(Lines(console.Output()), (std::vector<std::string>{"one", "two"}));
    console.Print("three\nfour\n");
    EXPECT_EQ(Lines(console.Output()), (std::vector<std::string>{"three", "four", ""}));
    console.ClearOutput();
    EXPECT_TRUE(console.Output().IsEmpty());
}

TEST(ConsoleState, AliasesEchoAndTheLengthLimit)
{
    CxOptions options;
    options.SetString("Engine.Game.CommandConsole.Aliases", "q", "Quit()");
    CxConsoleState console(&options);
    gRan.clear();
    EXPECT_STREQ(console.Execute("q", Record), "Quit()");
    EXPECT_STREQ(console.Execute("print(1)", Record), "print(1)");
    std::string longCommand(300, 'x');
    EXPECT_EQ(console.Execute(longCommand.c_str(), Record).GetLength(), 127);
    EXPECT_EQ(gRan.size(), 3u);
    EXPECT_EQ(gRan[0], "Quit()");
    EXPECT_EQ(Lines(console.Output())[0], "q");   // the command as typed is echoed
}

TEST(ConsoleState, HistoryWrapsAndDropsTheOldest)
{
    CxConsoleState console;
    for (int i = 1; i <= 129; ++i) console.Execute(std::to_string(i).c_str(), nullptr);
    EXPECT_EQ(console.History().GetCount(), 128);
    EXPECT_STREQ(console.History().GetHead()->value, "2");

    CxConsoleState small;
    small.Execute("a", nullptr);
    small.Execute("b", nullptr);
    small.Execute("c", nullptr);
    EXPECT_STREQ(small.Navigate(-1), "c");   // (0 - 1 + 3) mod 3
    EXPECT_STREQ(small.Navigate(-1), "b");
    EXPECT_STREQ(small.Navigate(1), "c");
    EXPECT_STREQ(small.Navigate(1), "a");
    EXPECT_STREQ(CxConsoleState().Navigate(1), "");
}
