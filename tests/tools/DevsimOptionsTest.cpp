// devsim's command line.
#include "tools/devsim/DevsimOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using devsim::DevsimOptions;
using devsim::ParseOutcome;

ParseOutcome Parse(std::vector<const wchar_t*> arguments, DevsimOptions& options)
{
    arguments.insert(arguments.begin(), L"devsim.exe");
    std::wstring error;
    const ParseOutcome outcome =
        devsim::ParseOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
    EXPECT_EQ(outcome == ParseOutcome::Invalid, !error.empty());
    return outcome;
}

TEST(DevsimOptions, NoArgumentsKeepTheDefaults)
{
    DevsimOptions options;
    ASSERT_EQ(ParseOutcome::Run, Parse({}, options));
    EXPECT_EQ(2, options.port);
    EXPECT_EQ(115200ul, options.baud);
    EXPECT_EQ(L"devsim 2.0 ready - type HELP for commands", options.greeting);
    EXPECT_TRUE(options.echo);
    EXPECT_TRUE(options.status);
    EXPECT_EQ(5u, options.statusIntervalSeconds);
}

TEST(DevsimOptions, EveryOptionIsRead)
{
    DevsimOptions options;
    ASSERT_EQ(ParseOutcome::Run,
              Parse({L"--port", L"1024", L"--baud", L"9600", L"--greeting", L"设备 ready",
                     L"--no-echo", L"--status-interval", L"3600", L"--no-status"},
                    options));
    EXPECT_EQ(1024, options.port);
    EXPECT_EQ(9600ul, options.baud);
    EXPECT_EQ(L"设备 ready", options.greeting);
    EXPECT_FALSE(options.echo);
    EXPECT_FALSE(options.status);
    EXPECT_EQ(3600u, options.statusIntervalSeconds);

    ASSERT_EQ(ParseOutcome::Run, Parse({L"--greeting", L""}, options));
    EXPECT_EQ(L"", options.greeting);
}

TEST(DevsimOptions, HelpWinsAndListsOptionsAndCommands)
{
    DevsimOptions options;
    EXPECT_EQ(ParseOutcome::ShowHelp, Parse({L"--port", L"3", L"--help"}, options));
    EXPECT_EQ(ParseOutcome::ShowHelp, Parse({L"-h"}, options));
    const std::wstring usage = devsim::UsageText();
    for (const wchar_t* item : {L"--port", L"--baud", L"--greeting", L"--no-echo",
                                L"--status-interval", L"--no-status", L"STREAM <n>", L"CHINESE"})
        EXPECT_NE(std::wstring::npos, usage.find(item)) << item;
}

TEST(DevsimOptions, BadArgumentsAreRefused)
{
    const std::vector<std::vector<const wchar_t*>> cases = {
        {L"--port"},
        {L"--port", L"0"},
        {L"--port", L"1025"},
        {L"--port", L"3x"},
        {L"--port", L"-1"},
        {L"--port", L" 3"},
        {L"--port", L"99999999999999999999"},
        {L"--baud", L"0"},
        {L"--status-interval", L"0"},
        {L"--greeting"},
        {L"--colour"},
        {L"5"},
    };
    for (const auto& arguments : cases) {
        DevsimOptions options;
        SCOPED_TRACE(testing::Message() << arguments.size() << " arguments, first "
                                        << std::string(arguments[0], arguments[0] + wcslen(arguments[0])));
        EXPECT_EQ(ParseOutcome::Invalid, Parse(arguments, options));
    }
}

} // namespace
