#include <mivra/Graphics/Image.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "../Support/LoadFailure.hpp"
#include "../Support/TempDir.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
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
    static std::vector<std::uint8_t> readBytes(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Loads from memory and returns the diagnostics it reported.
    static std::vector<std::string> loadCapturing(Image& image, const std::vector<std::uint8_t>& bytes, bool& loaded)
    {
        mivra::test::DiagnosticCapture diagnostics;
        loaded = image.loadFromMemory(bytes.data(), bytes.size());
        return diagnostics.take();
    }

    const mivra::test::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();
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
    EXPECT_THAT(test::loadFailure<Image>(missing), HasSubstr(missing.string()));

    const auto corrupt = dir / "corrupt.png";
    std::ofstream(corrupt) << "\x89PNG but then nothing that makes an image";
    EXPECT_THAT(test::loadFailure<Image>(corrupt), HasSubstr(corrupt.string()));

    mivra::test::DiagnosticCapture diagnostics;
    Image image({1, 1}, Color::White);
    EXPECT_FALSE(image.loadFromFile(corrupt));
    EXPECT_EQ(image.getSize(), Vector2u(1, 1)); // left as it was
    EXPECT_FALSE(image.loadFromMemory("GIF89a", 6));
    EXPECT_FALSE(image.saveToFile(dir / "picture.xyz"));
    EXPECT_FALSE(image.saveToFile(dir / "no-such-dir" / "picture.png"));
    const auto lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines[0], ::testing::StartsWith("mivra: cannot load the image: " + corrupt.string() + ": "));
    EXPECT_THAT(lines[1], ::testing::StartsWith("mivra: cannot load the image from memory: "));
    EXPECT_EQ(lines[2],
              "mivra: cannot save the image: " + (dir / "picture.xyz").string() + ": unsupported format \".xyz\"");
    EXPECT_EQ(lines[3], "mivra: cannot save the image: " + (dir / "no-such-dir" / "picture.png").string() +
                            ": cannot create a file beside it: no such file");
}

TEST_F(ImageTest, EveryWrittenFormatReadsBack)
{
    Image image({5, 4}, Color(200, 40, 90, 255));
    for (unsigned x = 0; x < 5; ++x)
        image.setPixel({x, 0}, Color(static_cast<std::uint8_t>(x * 50), 255, 0, 255));
    image.setPixel({4, 3}, Color(0, 0, 255, 255));

    // Lossless formats come back exactly, whether read from the file or from its bytes.
    for (const char* name : {"exact.png", "exact.bmp", "exact.tga"})
    {
        const auto file = dir / name;
        ASSERT_TRUE(image.saveToFile(file)) << name;
        const Image fromFile(file);
        Image fromMemory;
        const std::vector<std::uint8_t> bytes = readBytes(file);
        ASSERT_TRUE(fromMemory.loadFromMemory(bytes.data(), bytes.size())) << name;
        for (const Image* loaded : {&fromFile, static_cast<const Image*>(&fromMemory)})
        {
            ASSERT_EQ(loaded->getSize(), image.getSize()) << name;
            for (unsigned y = 0; y < 4; ++y)
                for (unsigned x = 0; x < 5; ++x)
                    EXPECT_EQ(loaded->getPixel({x, y}), image.getPixel({x, y})) << name << " " << x << "," << y;
        }
    }

    // JPEG is lossy: a large flat area keeps its colour within a few steps.
    Image flat({32, 32}, Color(200, 40, 90, 255));
    ASSERT_TRUE(flat.saveToFile(dir / "flat.jpg"));
    const Image jpeg(dir / "flat.jpg");
    ASSERT_EQ(jpeg.getSize(), Vector2u(32, 32));
    const Color centre = jpeg.getPixel({16, 16});
    EXPECT_NEAR(centre.r, 200, 4);
    EXPECT_NEAR(centre.g, 40, 4);
    EXPECT_NEAR(centre.b, 90, 4);
    EXPECT_EQ(centre.a, 255);
}

TEST_F(ImageTest, DamagedBytesFailWithTheReason)
{
    // A crafted JPEG whose Huffman table overflows the decoder's size table.
    const std::vector<std::uint8_t> crafted =
        readBytes(std::filesystem::path(MIVRA_SOURCE_DIR) / "tests/fuzz/regressions/image/jpeg-huffman-overflow.jpg");
    ASSERT_GT(crafted.size(), 100u);
    Image image({1, 1}, Color::White);
    bool loaded = true;
    std::vector<std::string> lines = loadCapturing(image, crafted, loaded);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("mivra: cannot load the image from memory: not a readable JPEG"));
    EXPECT_EQ(image.getSize(), Vector2u(1, 1));

    // A JPEG cut inside its compressed data would otherwise load with its lower part painted grey.
    Image noisy({64, 64}, Color::Black);
    for (unsigned y = 0; y < 64; ++y)
        for (unsigned x = 0; x < 64; ++x)
            noisy.setPixel({x, y}, Color(static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(x * y),
                                         static_cast<std::uint8_t>(y * 53), 255));
    ASSERT_TRUE(noisy.saveToFile(dir / "noisy.jpg"));
    std::vector<std::uint8_t> cut = readBytes(dir / "noisy.jpg");
    ASSERT_GT(cut.size(), 2000u);
    cut.resize(cut.size() * 2 / 3);
    lines = loadCapturing(image, cut, loaded);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("not a readable JPEG"));

    // A PNG header claiming 100000 x 100000 pixels is refused before any pixel memory is taken.
    ASSERT_TRUE(noisy.saveToFile(dir / "noisy.png"));
    std::vector<std::uint8_t> huge = readBytes(dir / "noisy.png");
    const std::uint8_t side[4] = {0x00, 0x01, 0x86, 0xa0};
    std::copy(side, side + 4, huge.begin() + 16);
    std::copy(side, side + 4, huge.begin() + 20);
    std::uint32_t crc = 0xffffffffu; // IHDR's CRC covers its type and data, bytes 12 to 29
    for (std::size_t i = 12; i < 29; ++i)
    {
        crc ^= huge[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xffffffffu;
    for (int i = 0; i < 4; ++i)
        huge[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    lines = loadCapturing(image, huge, loaded);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("too large (100000 x 100000 pixels)"));

    // Formats whose decoder reads zeros past the end: a file that cannot hold its pixels is refused
    // instead of loading with black rows.
    Image wide({300, 300}, Color::Red);
    for (unsigned y = 0; y < 300; ++y)
        for (unsigned x = 0; x < 300; ++x)
            wide.setPixel({x, y},
                          Color(static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 3), 9, 255));
    for (const char* name : {"cut.bmp", "cut.tga"})
    {
        ASSERT_TRUE(wide.saveToFile(dir / name));
        std::vector<std::uint8_t> bytes = readBytes(dir / name);
        bytes.resize(bytes.size() / 1000);
        lines = loadCapturing(image, bytes, loaded);
        EXPECT_FALSE(loaded) << name;
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_THAT(lines[0], HasSubstr("the file is cut short")) << name;
    }

    lines = loadCapturing(image, {'G', 'I', 'F', '8', '9', 'a'}, loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(ImageTest, JpegRowsLandInPlace)
{
    // The pixel buffer grows a row at a time as the decoder delivers them: each row must land on its
    // own line, the last ones of a partial block row included (50 is no multiple of 16).
    Image source({40, 50}, Color::Black);
    for (unsigned y = 0; y < 50; ++y)
        for (unsigned x = 0; x < 40; ++x)
            source.setPixel({x, y}, Color(static_cast<std::uint8_t>(y * 5), static_cast<std::uint8_t>(250 - y * 5),
                                          static_cast<std::uint8_t>(x * 6), 255));
    ASSERT_TRUE(source.saveToFile(dir / "bands.jpg"));
    const std::vector<std::uint8_t> bytes = readBytes(dir / "bands.jpg");
    Image loaded;
    ASSERT_TRUE(loaded.loadFromMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(loaded.getSize(), source.getSize());
    int worst = 0;
    for (unsigned y = 0; y < 50; ++y)
        for (unsigned x = 0; x < 40; ++x)
        {
            const Color a = loaded.getPixel({x, y});
            const Color b = source.getPixel({x, y});
            worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            ASSERT_EQ(a.a, 255);
        }
    EXPECT_LE(worst, 24);

    // The same file claiming 16000 rows runs out of data: it fails and the image keeps its pixels.
    std::vector<std::uint8_t> tall = bytes;
    std::size_t sof = 2;
    while (sof + 8 < tall.size() && !(tall[sof] == 0xff && tall[sof + 1] == 0xc0))
        ++sof;
    ASSERT_LT(sof + 8, tall.size());
    tall[sof + 5] = 16000 >> 8;
    tall[sof + 6] = 16000 & 0xff;
    const Image before = loaded;
    bool ok = true;
    const std::vector<std::string> lines = loadCapturing(loaded, tall, ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("not a readable JPEG"));
    ASSERT_EQ(loaded.getSize(), Vector2u(40, 50));
    EXPECT_TRUE(std::equal(before.getPixelsPtr(), before.getPixelsPtr() + 40 * 50 * 4, loaded.getPixelsPtr()));
}
