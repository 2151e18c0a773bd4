#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Exception.hpp>

#include "../Support/DiagnosticCapture.hpp"

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace mivra;
using ::testing::HasSubstr;

namespace
{
class ImageTest : public ::testing::Test
{
protected:
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("mivra-image-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
};
} // namespace

TEST_F(ImageTest, PngRoundTripKeepsEveryPixel)
{
    Image image({3, 2}, Color(10, 20, 30, 40));
    image.setPixel({2, 1}, Color(255, 0, 128, 255));
    image.setPixel({0, 1}, Color(1, 2, 3, 0));
    const auto file = dir / "round.png";
    ASSERT_TRUE(image.saveToFile(file));

    const Image loaded(file);
    ASSERT_EQ(loaded.getSize(), Vector2u(3, 2));
    for (unsigned y = 0; y < 2; ++y)
        for (unsigned x = 0; x < 3; ++x)
            EXPECT_EQ(loaded.getPixel({x, y}), image.getPixel({x, y})) << x << "," << y;
}

TEST_F(ImageTest, FlipsAndEmptyImages)
{
    Image image({2, 3}, Color::Black);
    image.setPixel({0, 0}, Color::Red);
    image.flipVertically();
    EXPECT_EQ(image.getPixel({0, 2}), Color::Red);
    EXPECT_EQ(image.getPixel({0, 0}), Color::Black);
    image.flipHorizontally();
    EXPECT_EQ(image.getPixel({1, 2}), Color::Red);
    EXPECT_EQ(image.getPixel({0, 2}), Color::Black);

    Image empty({0, 5}, Color::White);
    EXPECT_EQ(empty.getSize(), Vector2u(0, 0));
    EXPECT_EQ(empty.getPixelsPtr(), nullptr);
    EXPECT_FALSE(empty.saveToFile(dir / "empty.png"));
}

TEST_F(ImageTest, FailingLoadsAndSavesNameTheFile)
{
    const auto missing = dir / "missing.png";
    try
    {
        Image image(missing);
        FAIL() << "a missing image loaded";
    }
    catch (const Exception& e)
    {
        EXPECT_THAT(e.what(), HasSubstr(missing.string()));
    }

    const auto corrupt = dir / "corrupt.png";
    std::ofstream(corrupt) << "\x89PNG but then nothing that makes an image";
    try
    {
        Image image(corrupt);
        FAIL() << "a corrupt image loaded";
    }
    catch (const Exception& e)
    {
        EXPECT_THAT(e.what(), HasSubstr(corrupt.string()));
    }

    mivra::test::DiagnosticCapture diagnostics;
    Image image({1, 1}, Color::White);
    EXPECT_FALSE(image.loadFromFile(corrupt));
    EXPECT_EQ(image.getSize(), Vector2u(1, 1)); // left as it was
    EXPECT_FALSE(image.loadFromMemory("GIF89a", 6));
    EXPECT_FALSE(image.saveToFile(dir / "picture.xyz"));
    EXPECT_FALSE(image.saveToFile(dir / "no-such-dir" / "picture.png"));
    const auto lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines[0], ::testing::StartsWith("mivra: cannot load the image: " + corrupt.string() + ": not a readable image ("));
    EXPECT_THAT(lines[1], ::testing::StartsWith("mivra: cannot load the image from memory: "));
    EXPECT_EQ(lines[2], "mivra: cannot save the image: " + (dir / "picture.xyz").string() + ": unsupported format \".xyz\"");
    EXPECT_EQ(lines[3], "mivra: cannot save the image: " + (dir / "no-such-dir" / "picture.png").string() + ": cannot write the file");
}
