// The keyboard view on SDL's offscreen driver, with a keyboard state under the test's control.
#include "AllocationCounter.hpp"
#include "KeyboardView.hpp"

#include <mivra/Graphics.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <map>
#include <set>

namespace
{
using Key = mivra::Keyboard::Key;
using Scan = mivra::Keyboard::Scan;

// Every key is described as its own letter "K" and maps onto itself, except where a test says.
class FakeKeyboard : public keyboard::KeyboardState
{
public:
    std::set<Scan> held;
    std::map<Scan, Key> localized; // exceptions to the identity mapping
    std::map<Scan, mivra::String> descriptions;

    bool isKeyPressed(Scan scancode) const override { return held.count(scancode) != 0; }
    Key localize(Scan scancode) const override
    {
        const auto it = localized.find(scancode);
        return it != localized.end() ? it->second : static_cast<Key>(static_cast<int>(scancode));
    }
    Scan delocalize(Key code) const override { return static_cast<Scan>(static_cast<int>(code)); }
    mivra::String getDescription(Scan scancode) const override
    {
        const auto it = descriptions.find(scancode);
        return it != descriptions.end() ? it->second : mivra::String("K");
    }
};

class KeyboardViewTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        window = new mivra::RenderWindow(mivra::VideoMode({1280, 720}), "keyboard view test");
        font = new mivra::Font(std::filesystem::path(MIVRA_RESOURCE_DIR) / "Tuffy.ttf");
    }
    static void TearDownTestSuite()
    {
        delete font;
        delete window;
    }

    static std::size_t index(Scan s) { return static_cast<std::size_t>(s) * 6; }
    const mivra::Vertex& vertex(const keyboard::KeyboardView& view, Scan s, std::size_t i) const
    {
        return view.getVertices()[index(s) + i];
    }

    static inline mivra::RenderWindow* window = nullptr;
    static inline mivra::Font* font = nullptr;
    FakeKeyboard keys;
};

TEST_F(KeyboardViewTest, KeysAreRedWhenTheyDoNotRoundTripAndBrighterWhenHeld)
{
    keys.localized[Scan::Q] = Key::A; // the Q key types A, whose key is A: Q does not come back
    keys.localized[Scan::F13] = Key::Unknown;
    keys.held = {Scan::Space};
    keyboard::KeyboardView view(*font, keys);
    view.update(mivra::Time::Zero);

    EXPECT_EQ(view.getVertices().getVertexCount(), 876u);
    EXPECT_EQ(view.getVertices().getPrimitiveType(), mivra::PrimitiveType::Triangles);
    for (std::size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(vertex(view, Scan::A, i).color, mivra::Color(255, 255, 255, 48));
        EXPECT_EQ(vertex(view, Scan::Q, i).color, mivra::Color(255, 0, 0, 48));
        EXPECT_EQ(vertex(view, Scan::F13, i).color, mivra::Color(255, 0, 0, 48));
        EXPECT_EQ(vertex(view, Scan::Space, i).color, mivra::Color(255, 255, 255, 96));
    }

    // The alpha follows the live state, not events; the colour stays as it was decided.
    keys.held = {Scan::Q};
    keys.localized.clear();
    view.update(mivra::Time::Zero);
    EXPECT_EQ(vertex(view, Scan::Space, 0).color.a, 48);
    EXPECT_EQ(vertex(view, Scan::Q, 0).color, mivra::Color(255, 0, 0, 96));
}

TEST_F(KeyboardViewTest, RectanglesSitFourPixelsInsideTheirCells)
{
    keyboard::KeyboardView view(*font, keys);
    view.update(mivra::Time::Zero);
    EXPECT_EQ(vertex(view, Scan::Escape, 0).position, (mivra::Vector2f{4, 4}));
    EXPECT_EQ(vertex(view, Scan::Escape, 5).position, (mivra::Vector2f{50, 50}));
    EXPECT_EQ(vertex(view, Scan::Insert, 0).position, (mivra::Vector2f{841, 85}));
    EXPECT_EQ(vertex(view, Scan::Up, 0).position, (mivra::Vector2f{895, 247}));
    const auto enterSize = vertex(view, Scan::NumpadEnter, 5).position - vertex(view, Scan::NumpadEnter, 0).position;
    EXPECT_EQ(enterSize, (mivra::Vector2f{46, 100}));
    // Labels at the cells' centres.
    EXPECT_EQ(view.getLabel(Scan::Escape).getPosition(), (mivra::Vector2f{27, 27}));
    EXPECT_EQ(view.getLabel(Scan::NumpadEnter).getPosition(), (mivra::Vector2f{22 * 54 + 27, 243 + 54}));
}

TEST_F(KeyboardViewTest, PressAndReleaseAnimateTheKeyAndItsLabel)
{
    keyboard::KeyboardView view(*font, keys);
    view.update(mivra::Time::Zero);
    const mivra::Vector2f restingLabel = view.getLabel(Scan::A).getPosition();
    const mivra::Vector2f restingCorner = vertex(view, Scan::A, 0).position;

    view.notifyPressed(Scan::A);
    view.notifyReleased(Scan::B);
    EXPECT_EQ(view.getAnimation(Scan::A), 1.f);
    EXPECT_EQ(view.getAnimation(Scan::B), -1.f);
    view.update(mivra::milliseconds(40));
    EXPECT_FLOAT_EQ(view.getAnimation(Scan::A), 0.8f);
    EXPECT_NEAR(vertex(view, Scan::A, 0).position.y - restingCorner.y, 1.28f, 1e-4f);
    EXPECT_NEAR(view.getLabel(Scan::A).getPosition().y - restingLabel.y, 1.28f, 1e-4f);
    EXPECT_EQ(vertex(view, Scan::A, 0).position.x, restingCorner.x);
    EXPECT_NEAR(vertex(view, Scan::B, 0).position.y, 243.f + 4.f - 1.28f, 1e-4f); // B (row 4) bobs up

    // A new press restarts the animation from the top; a long frame ends every animation.
    view.notifyPressed(Scan::A);
    EXPECT_EQ(view.getAnimation(Scan::A), 1.f);
    view.update(mivra::milliseconds(250));
    EXPECT_EQ(view.getAnimation(Scan::A), 0.f);
    EXPECT_EQ(view.getAnimation(Scan::B), 0.f);
    EXPECT_EQ(vertex(view, Scan::A, 0).position, restingCorner);
    EXPECT_EQ(view.getLabel(Scan::A).getPosition(), restingLabel);

    // Unknown, and values outside the table that a stray event might carry, change nothing.
    for (const int outside : {-1, -2, std::numeric_limits<int>::min(), mivra::Keyboard::ScanCount,
                              mivra::Keyboard::ScanCount + 1, std::numeric_limits<int>::max()})
    {
        view.notifyPressed(static_cast<Scan>(outside));
        view.notifyReleased(static_cast<Scan>(outside));
    }
    for (int s = 0; s < mivra::Keyboard::ScanCount; ++s)
        EXPECT_EQ(view.getAnimation(static_cast<Scan>(s)), 0.f);
}

TEST_F(KeyboardViewTest, LabelsWrapAtSpacesBeforeTheyShrink)
{
    keys.descriptions[Scan::Escape] = mivra::String("Esc");
    keys.descriptions[Scan::Tab] = mivra::String("Tab Key Long");
    keys.descriptions[Scan::F1] = mivra::String("Extraordinarily");
    keyboard::KeyboardView view(*font, keys);

    const mivra::Text& fits = view.getLabel(Scan::Escape);
    EXPECT_EQ(fits.getCharacterSize(), 14u);
    EXPECT_EQ(fits.getString(), mivra::String("Esc"));

    const mivra::Text& wrapped = view.getLabel(Scan::Tab);
    EXPECT_EQ(wrapped.getString(), mivra::String("Tab\nKey\nLong"));
    EXPECT_EQ(wrapped.getCharacterSize(), 14u); // each word fits the 81-pixel key on its own
    EXPECT_LE(wrapped.getLocalBounds().size.x + 10.f, 81.f);

    const mivra::Text& shrunk = view.getLabel(Scan::F1);
    EXPECT_EQ(shrunk.getString(), mivra::String("Extraordinarily"));
    EXPECT_LT(shrunk.getCharacterSize(), 14u);
    EXPECT_EQ(shrunk.getCharacterSize() % 2, 0u);
    EXPECT_LE(shrunk.getLocalBounds().size.x + 10.f, 54.f);

    // Centred on its glyphs horizontally and on half its size vertically, in whole pixels.
    const mivra::FloatRect bounds = fits.getLocalBounds();
    EXPECT_EQ(fits.getOrigin(), (mivra::Vector2f{std::round(bounds.position.x + bounds.size.x * 0.5f), 7.f}));
    EXPECT_EQ(shrunk.getOrigin().y, std::round(static_cast<float>(shrunk.getCharacterSize()) * 0.5f));
}

TEST_F(KeyboardViewTest, FramesAllocateNothing)
{
    keyboard::KeyboardView view(*font, keys);
    view.setPosition({16.f, 16.f});
    // The first frames build glyphs, caches and the GL driver's shader variants.
    for (int frame = 0; frame < 5; ++frame)
    {
        view.notifyPressed(Scan::A);
        view.update(mivra::milliseconds(40));
        window->clear();
        window->draw(view);
        window->display();
    }

    long updating = 0;
    long drawing = 0;
    for (int frame = 0; frame < 10; ++frame)
    {
        if (frame % 3 == 0)
            view.notifyPressed(Scan::A);
        long before = mivra::test::allocationCount();
        view.update(mivra::milliseconds(40));
        updating += mivra::test::allocationCount() - before;
        before = mivra::test::allocationCount();
        window->draw(view);
        drawing += mivra::test::allocationCount() - before;
    }
    EXPECT_EQ(updating, 0);
    EXPECT_EQ(drawing, 0);
    window->display();
}
} // namespace
