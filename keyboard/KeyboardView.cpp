#include "KeyboardView.hpp"

#include <mivra/Graphics/RenderTarget.hpp>

#include <cmath>

namespace keyboard
{
namespace
{
constexpr unsigned int labelSize = 14;
constexpr float labelMargin = 8.f + 2.f; // room a label leaves inside its key
const mivra::Color roundTripColor(255, 255, 255, 255);
const mivra::Color brokenColor(255, 0, 0, 255);
constexpr std::uint8_t heldAlpha = 96;
constexpr std::uint8_t restingAlpha = 48;

std::size_t indexOf(mivra::Keyboard::Scan scancode)
{
    return static_cast<std::size_t>(scancode);
}

// Events name any scancode the platform reports: Unknown, and possibly values past the table.
bool hasKey(mivra::Keyboard::Scan scancode)
{
    const int value = static_cast<int>(scancode);
    return value >= 0 && value < mivra::Keyboard::ScanCount;
}
} // namespace

const KeyboardState& KeyboardView::libraryKeyboard()
{
    static const LibraryKeyboardState state;
    return state;
}

KeyboardView::KeyboardView(const mivra::Font& font, const KeyboardState& keyboard)
    : m_keyboard(keyboard), m_rows(makeKeyRows()),
      m_vertices(mivra::PrimitiveType::Triangles, mivra::Keyboard::ScanCount * verticesPerKey),
      m_labels(mivra::Keyboard::ScanCount, mivra::Text(font, mivra::String(), labelSize))
{
    forEachKeyCell(m_rows, [&](const KeyCell& cell) {
        const std::size_t s = indexOf(cell.scancode);
        const bool roundTrip = m_keyboard.delocalize(m_keyboard.localize(cell.scancode)) == cell.scancode;
        for (std::size_t i = 0; i < verticesPerKey; ++i)
            m_vertices[s * verticesPerKey + i].color = roundTrip ? roundTripColor : brokenColor;

        mivra::Text& label = m_labels[s];
        label.setString(m_keyboard.getDescription(cell.scancode));
        label.setPosition({cell.x + cell.width * 0.5f, cell.y + cell.height * 0.5f});
        fitLabel(label, cell.width);
    });
}

void KeyboardView::fitLabel(mivra::Text& label, float width)
{
    if (label.getLocalBounds().size.x + labelMargin > width)
    {
        // Words on lines of their own first, then smaller letters.
        std::u32string text = label.getString().toUtf32();
        for (char32_t& c : text)
            if (c == U' ')
                c = U'\n';
        label.setString(mivra::String(std::move(text)));
    }
    // Stops at the smallest size rather than wrapping the unsigned size around.
    while (label.getLocalBounds().size.x + labelMargin > width && label.getCharacterSize() >= 2)
        label.setCharacterSize(label.getCharacterSize() - 2);

    const mivra::FloatRect bounds = label.getLocalBounds();
    label.setOrigin({std::round(bounds.position.x + bounds.size.x * 0.5f),
                     std::round(static_cast<float>(label.getCharacterSize()) * 0.5f)});
}

void KeyboardView::notifyPressed(mivra::Keyboard::Scan scancode)
{
    if (hasKey(scancode))
        m_keyAnimation[indexOf(scancode)] = 1.f;
}

void KeyboardView::notifyReleased(mivra::Keyboard::Scan scancode)
{
    if (hasKey(scancode))
        m_keyAnimation[indexOf(scancode)] = -1.f;
}

void KeyboardView::update(mivra::Time elapsed)
{
    advanceAnimation(m_keyAnimation, elapsed);
    forEachKeyCell(m_rows, [&](const KeyCell& cell) {
        const std::size_t s = indexOf(cell.scancode);
        const float offset = animationOffset(m_keyAnimation[s]);
        const std::uint8_t alpha = m_keyboard.isKeyPressed(cell.scancode) ? heldAlpha : restingAlpha;
        const auto corners = keyVertexPositions(cell, offset);
        for (std::size_t i = 0; i < verticesPerKey; ++i)
        {
            mivra::Vertex& vertex = m_vertices[s * verticesPerKey + i];
            vertex.position = corners[i];
            vertex.color.a = alpha;
        }
        m_labels[s].setPosition({cell.x + cell.width * 0.5f, cell.y + cell.height * 0.5f + offset});
    });
}

void KeyboardView::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.transform *= getTransform();
    target.draw(m_vertices, states);
    for (const mivra::Text& label : m_labels)
        target.draw(label, states);
}

const mivra::Text& KeyboardView::getLabel(mivra::Keyboard::Scan scancode) const
{
    return m_labels.at(indexOf(scancode));
}

float KeyboardView::getAnimation(mivra::Keyboard::Scan scancode) const
{
    return m_keyAnimation.at(indexOf(scancode));
}
} // namespace keyboard
