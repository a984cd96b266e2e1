// orvsvc's command line: which verb runs, and the exit status of help and of mistakes.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "orvsvc/command_line.h"

namespace orvsvc {
namespace {

struct Parsed {
    ParsedCommandLine result;
    std::string out;
    std::string err;
};

Parsed Parse(const std::vector<std::string>& args) {
    std::vector<std::string> argv(args.size() + 1);
    argv[0] = "orvsvc.exe";
    std::copy(args.begin(), args.end(), argv.begin() + 1);
    std::ostringstream out;
    std::ostringstream err;
    Parsed parsed{ParseCommandLine(argv, out, err), {}, {}};
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(CommandLineTest, EachVerbRunsItsCommand) {
    EXPECT_EQ(Parse({}).result.command->verb, Verb::kService);
    EXPECT_EQ(Parse({"install"}).result.command->verb, Verb::kInstall);
    EXPECT_EQ(Parse({"uninstall"}).result.command->verb, Verb::kUninstall);
    const Parsed console = Parse({"console"});
    EXPECT_EQ(console.result.command->verb, Verb::kConsole);
    EXPECT_FALSE(console.result.command->stopAfter) << "no --stop-after: runs until Ctrl+C";
    const Parsed timed = Parse({"console", "--stop-after", "5"});
    ASSERT_TRUE(timed.result.command);
    EXPECT_EQ(timed.result.command->stopAfter, std::chrono::seconds(5));
}

TEST(CommandLineTest, HelpRunsNothingAndSucceeds) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"install", "--help"}, {"console", "-h"}}) {
        const Parsed parsed = Parse(args);
        EXPECT_FALSE(parsed.result.command) << args.front();
        EXPECT_EQ(parsed.result.exitStatus, 0) << args.front();
        EXPECT_NE(parsed.out.find("Usage"), std::string::npos) << args.front();
    }
    EXPECT_NE(Parse({"console", "--help"}).out.find("--stop-after"), std::string::npos);
}

TEST(CommandLineTest, MistakesExitWithTwoAndAUsageLine) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"start"},
                                               {"install", "extra"},
                                               {"install", "console"},
                                               {"install", "--stop-after", "5"},
                                               {"console", "--stop-after"},
                                               {"console", "--stop-after", "soon"},
                                               {"console", "--stop-after", "-1"},
                                               {"--verbose"}}) {
        const Parsed parsed = Parse(args);
        std::string joined;
        for (const std::string& arg : args) {
            joined += arg + " ";
        }
        EXPECT_FALSE(parsed.result.command) << joined;
        EXPECT_EQ(parsed.result.exitStatus, 2) << joined;
        EXPECT_NE(parsed.err.find("usage: orvsvc"), std::string::npos) << joined << parsed.err;
    }
}

}  // namespace
}  // namespace orvsvc
