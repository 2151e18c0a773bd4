#include "DeviceChoice.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace
{
struct Answer
{
    std::optional<std::size_t> index;
    std::string shown;
    std::string left; // input not consumed
};

Answer choose(const std::string& input, std::size_t devices)
{
    std::istringstream in(input);
    std::ostringstream out;
    Answer answer;
    answer.index = sound_capture::chooseDevice(in, out, devices);
    answer.shown = out.str();
    std::getline(in, answer.left, '\0');
    return answer;
}
} // namespace

TEST(DeviceChoice, OneDeviceIsTakenWithoutAQuestion)
{
    const Answer answer = choose("7\n", 1);
    EXPECT_EQ(answer.index, 0u);
    EXPECT_EQ(answer.shown, "");
    EXPECT_EQ(answer.left, "7\n");
    EXPECT_EQ(choose("", 0).index, std::nullopt);
}

// Out-of-range answers and words are read again under the one prompt; the rest of each answer's
// line goes with it.
TEST(DeviceChoice, AsksOnceAndRereadsUntilInRange)
{
    const Answer answer = choose("5\n1 and more\n44100\n", 3);
    EXPECT_EQ(answer.index, 1u);
    EXPECT_EQ(answer.shown, "Please choose the capture device to use [0-2]: ");
    EXPECT_EQ(answer.left, "44100\n");

    EXPECT_EQ(choose("x\n-1\n3\n2\n", 3).index, 2u);
    EXPECT_EQ(choose("  0\n", 2).index, 0u);
}

TEST(DeviceChoice, EndOfInputEndsTheQuestion)
{
    EXPECT_EQ(choose("", 3).index, std::nullopt);
    EXPECT_EQ(choose("9\n", 3).index, std::nullopt);
    EXPECT_EQ(choose("9", 3).index, std::nullopt);
    EXPECT_EQ(choose("1", 3).index, 1u);
}
