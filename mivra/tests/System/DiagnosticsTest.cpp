#include <mivra/System/Diagnostics.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
TEST(DiagnosticsTest, HandlerReceivesOneFormattedLinePerReport)
{
    std::vector<std::string> lines;
    const mivra::DiagnosticHandler previous =
        mivra::setDiagnosticHandler([&](std::string_view line) { lines.emplace_back(line); });

    mivra::reportDiagnostic("Failed to open file", "sounds/missing.wav", "No such file or directory");
    mivra::reportDiagnostic("Failed to connect", "127.0.0.1:21");
    mivra::reportDiagnostic("Audio device lost", {}, "driver stopped");

    mivra::setDiagnosticHandler(previous);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "mivra: Failed to open file: sounds/missing.wav: No such file or directory");
    EXPECT_EQ(lines[1], "mivra: Failed to connect: 127.0.0.1:21");
    EXPECT_EQ(lines[2], "mivra: Audio device lost: driver stopped");
}

TEST(DiagnosticsTest, EmptyHandlerSilencesAndPreviousHandlerComesBack)
{
    std::vector<std::string> lines;
    const mivra::DiagnosticHandler original =
        mivra::setDiagnosticHandler([&](std::string_view line) { lines.emplace_back(line); });

    const mivra::DiagnosticHandler collecting = mivra::setDiagnosticHandler({});
    mivra::reportDiagnostic("silenced");
    EXPECT_TRUE(lines.empty());

    mivra::setDiagnosticHandler(collecting);
    mivra::reportDiagnostic("heard");
    mivra::setDiagnosticHandler(original);
    EXPECT_EQ(lines, std::vector<std::string>{"mivra: heard"});
}
} // namespace
