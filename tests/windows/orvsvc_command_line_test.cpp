// orvsvc's command line: which verb runs, and the exit status of help and of mistakes. Each
// verb is run end to end by the service-manager suite.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "orvsvc/command_line.h"

namespace orvsvc {
namespace {

TEST(CommandLineTest, VerbsRunHelpSucceedsAndMistakesExitWithTwoAndAUsageLine) {
    const std::optional<Verb> kNothing;
    const struct {
        std::vector<std::string> args;
        std::optional<Verb> runs;
        int exitStatus = 0;
        const char* says = "";  // on stdout for help, on stderr for a mistake
    } cases[] = {{{}, Verb::kService},
                 {{"install"}, Verb::kInstall},
                 {{"uninstall"}, Verb::kUninstall},
                 {{"console"}, Verb::kConsole},
                 {{"--help"}, kNothing, 0, "Usage"},
                 {{"install", "--help"}, kNothing, 0, "Usage"},
                 {{"console", "-h"}, kNothing, 0, "Usage"},
                 {{"console", "--help"}, kNothing, 0, "--stop-after"},
                 {{"start"}, kNothing, 2, "usage: orvsvc"},
                 {{"install", "extra"}, kNothing, 2, "usage: orvsvc"},
                 {{"install", "console"}, kNothing, 2, "usage: orvsvc"},
                 {{"install", "--stop-after", "5"}, kNothing, 2, "usage: orvsvc"},
                 {{"console", "--stop-after"}, kNothing, 2, "usage: orvsvc"},
                 {{"console", "--stop-after", "soon"}, kNothing, 2, "usage: orvsvc"},
                 {{"console", "--stop-after", "-1"}, kNothing, 2, "usage: orvsvc"},
                 {{"--verbose"}, kNothing, 2, "usage: orvsvc"}};
    for (const auto& c : cases) {
        std::vector<std::string> argv{"orvsvc.exe"};
        std::string joined;
        for (const std::string& arg : c.args) {
            argv.push_back(arg);
            joined += arg + " ";
        }
        std::ostringstream out;
        std::ostringstream err;
        const ParsedCommandLine parsed = ParseCommandLine(argv, out, err);
        EXPECT_EQ(parsed.command ? std::optional(parsed.command->verb) : kNothing, c.runs)
            << joined;
        EXPECT_EQ(parsed.exitStatus, c.exitStatus) << joined;
        EXPECT_NE((c.exitStatus == 0 ? out : err).str().find(c.says), std::string::npos) << joined;
        if (parsed.command) {
            EXPECT_FALSE(parsed.command->stopAfter) << "no --stop-after: runs until Ctrl+C";
        }
    }
    std::ostringstream ignored;
    const ParsedCommandLine timed =
        ParseCommandLine({"orvsvc.exe", "console", "--stop-after", "5"}, ignored, ignored);
    ASSERT_TRUE(timed.command);
    EXPECT_EQ(timed.command->stopAfter, std::chrono::seconds(5));
}

}  // namespace
}  // namespace orvsvc
