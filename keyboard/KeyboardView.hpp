#pragma once

#include "KeyboardLayout.hpp"

#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Text.hpp>
#include <mivra/Graphics/Transformable.hpp>
#include <mivra/Graphics/VertexArray.hpp>
#include <mivra/Window/Keyboard.hpp>

#include <array>
#include <vector>

namespace keyboard
{
// What the keyboard view asks about the keyboard: the live key state and the layout. The
// program uses the library's keyboard; tests pass one of their own.
class KeyboardState
{
public:
    virtual ~KeyboardState() = default;
    [[nodiscard]] virtual bool isKeyPressed(mivra::Keyboard::Scan scancode) const = 0;
    [[nodiscard]] virtual mivra::Keyboard::Key localize(mivra::Keyboard::Scan scancode) const = 0;
    [[nodiscard]] virtual mivra::Keyboard::Scan delocalize(mivra::Keyboard::Key code) const = 0;
    [[nodiscard]] virtual mivra::String getDescription(mivra::Keyboard::Scan scancode) const = 0;
};

class LibraryKeyboardState : public KeyboardState
{
public:
    bool isKeyPressed(mivra::Keyboard::Scan scancode) const override { return mivra::Keyboard::isKeyPressed(scancode); }
    mivra::Keyboard::Key localize(mivra::Keyboard::Scan scancode) const override
    {
        return mivra::Keyboard::localize(scancode);
    }
    mivra::Keyboard::Scan delocalize(mivra::Keyboard::Key code) const override
    {
        return mivra::Keyboard::delocalize(code);
    }
    mivra::String getDescription(mivra::Keyboard::Scan scancode) const override
    {
        return mivra::Keyboard::getDescription(scancode);
    }
};

// An on-screen keyboard with one rectangle and one label per scancode. Held keys are drawn
// brighter, keys that do not survive the round trip to a key code and back are red, and a key
// event makes its key dip (press) or bob (release) for a fifth of a second.
class KeyboardView : public mivra::Drawable, public mivra::Transformable
{
public:
    // The font and the keyboard state must outlive the view.
    explicit KeyboardView(const mivra::Font& font, const KeyboardState& keyboard = libraryKeyboard());

    void notifyPressed(mivra::Keyboard::Scan scancode);
    void notifyReleased(mivra::Keyboard::Scan scancode);

    // Advances the animation and places the keys and labels for the next draw.
    void update(mivra::Time elapsed);

    [[nodiscard]] const mivra::VertexArray& getVertices() const { return m_vertices; }
    [[nodiscard]] const mivra::Text& getLabel(mivra::Keyboard::Scan scancode) const;
    [[nodiscard]] float getAnimation(mivra::Keyboard::Scan scancode) const;

    static const KeyboardState& libraryKeyboard();

protected:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

private:
    void fitLabel(mivra::Text& label, float width);

    const KeyboardState& m_keyboard;
    std::array<KeyRow, rowCount> m_rows;
    mivra::VertexArray m_vertices;
    std::vector<mivra::Text> m_labels;
    std::array<float, mivra::Keyboard::ScanCount> m_keyAnimation{};
};
} // namespace keyboard
