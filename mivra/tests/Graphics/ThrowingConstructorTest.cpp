#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/System/Exception.hpp>

#include "../Support/DiagnosticCapture.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace mivra;

namespace
{
// Never created: every load from it fails with "no such file".
std::filesystem::path missingFile(const char* name)
{
    return std::filesystem::temp_directory_path() / ("mivra-nothing-" + std::to_string(::getpid())) / name;
}

// What the throwing form says, against the one line the reporting form gives in the same case.
void expectTheExceptionSaysTheDiagnosticLine(const std::function<void()>& throwing,
                                             const std::function<bool()>& reporting)
{
    std::string thrown;
    try
    {
        throwing();
        ADD_FAILURE() << "the constructor did not throw";
    }
    catch (const Exception& e)
    {
        thrown = e.what();
    }
    test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(reporting());
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{thrown});
}
} // namespace

TEST(ThrowingConstructorTest, FileFailuresReadAsTheirDiagnosticLines)
{
    const auto font = missingFile("missing.ttf");
    expectTheExceptionSaysTheDiagnosticLine([&] { Font f(font); }, [&] { return Font().openFromFile(font); });

    const auto image = missingFile("missing.png");
    expectTheExceptionSaysTheDiagnosticLine([&] { Image i(image); }, [&] { return Image().loadFromFile(image); });
    expectTheExceptionSaysTheDiagnosticLine([&] { Texture t(image); }, [&] { return Texture().loadFromFile(image); });

    // A missing file fails before any graphics context is needed.
    const auto shader = missingFile("missing.frag");
    expectTheExceptionSaysTheDiagnosticLine([&] { Shader s(shader, Shader::Type::Fragment); },
                                            [&] { return Shader().loadFromFile(shader, Shader::Type::Fragment); });

    // The words themselves, once: the line's form, with the file and the reason.
    try
    {
        Font f(font);
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(std::string(e.what()), "mivra: cannot load the font: " + font.string() + ": no such file");
    }
}

TEST(ThrowingConstructorTest, RenderTextureFailureReadsAsItsDiagnosticLine)
{
    // A zero size fails before any graphics context is needed.
    expectTheExceptionSaysTheDiagnosticLine(
        [] {
            RenderTexture r({0, 4});
        },
        [] {
            return RenderTexture().resize({0, 4});
        });
    try
    {
        RenderTexture r({0, 4});
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(std::string(e.what()), "mivra: cannot create the render texture: invalid size 0x4");
    }
}
