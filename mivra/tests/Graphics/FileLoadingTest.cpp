// Loading images, fonts and shaders from what is not an ordinary file, and saving images onto a
// disk that fills up.
#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/System/Exception.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "RenderTestSupport.hpp"
#include "../Support/FullDisk.hpp"
#include "../Support/TempDir.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace mivra;
using ::testing::HasSubstr;

namespace
{
class GraphicsFileTest : public ::testing::Test
{
protected:
    // A file of `size` bytes that takes no room on the disk.
    std::filesystem::path sparseFile(const std::string& name, std::uintmax_t size) const
    {
        const auto path = dir / name;
        std::ofstream(path).close();
        std::filesystem::resize_file(path, size);
        return path;
    }

    // A FIFO nobody writes to: opening it the ordinary way waits for a writer for ever.
    std::filesystem::path fifo() const
    {
        const auto path = dir / "fifo";
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    const test::TempDir scratch;
    const std::filesystem::path dir = scratch.path();
};

struct Loader
{
    const char* what; // the start of its diagnostic
    std::uintmax_t maxSize;
    std::function<bool(const std::filesystem::path&)> load;
};
} // namespace

// /dev/zero never ends and a FIFO blocks the open: both used to hang the loader (an image load of
// /dev/zero grew past 3 GB). Each is refused at once, like a directory and a file too large to be
// one of its kind; an image or font loaded before keeps its contents.
TEST_F(GraphicsFileTest, LoadersRefuseWhatIsNotARegularFileAndFilesTooLarge)
{
    Image image({2, 3}, Color::Red);
    Font font;
    ASSERT_TRUE(font.openFromFile(test::fontPath()));
    Shader shader;
    const std::vector<Loader> loaders = {
        {"mivra: cannot load the image: ", std::uintmax_t{1} << 30,
         [&](const auto& path) { return image.loadFromFile(path); }},
        {"mivra: cannot load the font: ", 256u << 20, [&](const auto& path) { return font.openFromFile(path); }},
        {"mivra: cannot load the shader: ", 16u << 20,
         [&](const auto& path) { return shader.loadFromFile(path, Shader::Type::Fragment); }},
    };
    const std::filesystem::path fifoPath = fifo();
    for (const Loader& loader : loaders)
    {
        const std::filesystem::path tooLarge = sparseFile("large", loader.maxSize + 1);
        const std::pair<std::filesystem::path, const char*> cases[] = {
            {"/dev/zero", "not a regular file"},
            {fifoPath, "not a regular file"},
            {dir, "is a directory"},
            {tooLarge, "the file is too large"},
        };
        for (const auto& [path, reason] : cases)
        {
            test::DiagnosticCapture diagnostics;
            EXPECT_FALSE(loader.load(path)) << loader.what << path;
            const std::vector<std::string> lines = diagnostics.take();
            ASSERT_EQ(lines.size(), 1u) << loader.what << path;
            EXPECT_EQ(lines[0].rfind(loader.what + path.string() + ": " + reason, 0), 0u) << lines[0];
        }
        std::filesystem::remove(tooLarge);
    }
    EXPECT_EQ(image.getSize(), Vector2u(2, 3));
    EXPECT_EQ(image.getPixel({1, 2}), Color::Red);
    EXPECT_EQ(font.getInfo().family, "DejaVu Sans");

    // The throwing constructors refuse them the same way.
    EXPECT_THROW(Image("/dev/zero"), Exception);
    EXPECT_THROW(Font{fifoPath}, Exception);
}

// A save writes beside the file and renames over it: on a full disk it reports the failure and the
// old file stays whole (it used to report success and leave a truncated file), and no temporary
// file is left behind. Once there is room the same save replaces the file.
TEST_F(GraphicsFileTest, SavingOntoAFullDiskKeepsTheOldFile)
{
    // Noise does not compress: its PNG is larger than the room left.
    Image noise({128, 128}, Color::Black);
    std::uint32_t state = 12345;
    for (unsigned y = 0; y < 128; ++y)
        for (unsigned x = 0; x < 128; ++x)
        {
            state = state * 1664525u + 1013904223u;
            noise.setPixel({x, y}, Color(static_cast<std::uint8_t>(state >> 24), static_cast<std::uint8_t>(state >> 16),
                                         static_cast<std::uint8_t>(state >> 8), 255));
        }
    const Image small({2, 2}, Color::Green);

    const test::FullDiskResult result = test::onSmallDisk(dir / "disk", [&](const std::filesystem::path& disk) {
        return test::checkSavesOnFullDisk(
            disk, {{"picture.png", "picture.bmp", "picture.tga", "picture.jpg"},
                   [&](const std::filesystem::path& file) { return small.saveToFile(file); },
                   [&](const std::filesystem::path& file) { return noise.saveToFile(file); },
                   [](const std::filesystem::path& file, const std::string& line) {
                       return line == "mivra: cannot save the image: " + file.string() +
                                          ": cannot write the file: no space left on the device";
                   },
                   [](const std::filesystem::path& file, const std::string& before) {
                       return test::contentsOf(file) != before;
                   }});
    });
    if (!result.skipped.empty())
        GTEST_SKIP() << "needs root for a small tmpfs: " << result.skipped;
    EXPECT_EQ(result.problems, "");
}

// A save refuses to replace what is not a regular file, and keeps a symbolic link pointing where
// it did; the file it names gets the new contents and keeps its permissions.
TEST_F(GraphicsFileTest, SavingReplacesOnlyRegularFilesThroughTheirLinks)
{
    const Image image({3, 1}, Color::Blue);
    test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(image.saveToFile(dir));
    std::filesystem::create_directory(dir / "folder.png");
    EXPECT_FALSE(image.saveToFile(dir / "folder.png"));
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[1], HasSubstr("folder.png: is a directory"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.png"));

    const auto target = dir / "target.png";
    const auto link = dir / "link.png";
    ASSERT_TRUE(Image({1, 1}, Color::White).saveToFile(target));
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("target.png", link);
    ASSERT_TRUE(image.saveToFile(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    Image loaded;
    ASSERT_TRUE(loaded.loadFromFile(target));
    EXPECT_EQ(loaded.getSize(), Vector2u(3, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 3);
}
