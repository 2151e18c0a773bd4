#pragma once

#include <mivra/System/Vector2.hpp>
#include <mivra/System/Vector3.hpp>
#include <mivra/Window/Joystick.hpp>
#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/Sensor.hpp>

#include <cstddef>
#include <type_traits>
#include <utility>
#include <variant>

namespace mivra
{
/// One window event. An event holds exactly one of the kinds below, with its data.
class Event
{
public:
    /// The user asked to close the window (its close button, or the window manager). The window stays open until close() is called.
    struct Closed
    {
        friend bool operator==(const Closed&, const Closed&) = default;
    };
    /// The window's client area changed size.
    struct Resized
    {
        Vector2u size; ///< The new size, in pixels.
        friend bool operator==(const Resized&, const Resized&) = default;
    };
    /// The window lost the keyboard focus.
    struct FocusLost
    {
        friend bool operator==(const FocusLost&, const FocusLost&) = default;
    };
    /// The window gained the keyboard focus.
    struct FocusGained
    {
        friend bool operator==(const FocusGained&, const FocusGained&) = default;
    };
    /// A character was typed, after the layout, dead keys and input methods had their say.
    struct TextEntered
    {
        char32_t unicode{}; ///< The character, as a Unicode code point.
        friend bool operator==(const TextEntered&, const TextEntered&) = default;
    };
    /// A key went down (again on key repeat, unless the window turned repeat off).
    struct KeyPressed
    {
        Keyboard::Key code{
            Keyboard::Key::Unknown}; ///< The key under the current layout (Keyboard::Key::Unknown when it has no code).
        Keyboard::Scan scancode{Keyboard::Scan::Unknown}; ///< The physical key.
        bool alt{};                                       ///< Whether an Alt key was down.
        bool control{};                                   ///< Whether a Control key was down.
        bool shift{};                                     ///< Whether a Shift key was down.
        bool system{};                                    ///< Whether a system (Super, Windows) key was down.
        friend bool operator==(const KeyPressed&, const KeyPressed&) = default;
    };
    /// A key went up.
    struct KeyReleased
    {
        Keyboard::Key code{
            Keyboard::Key::Unknown}; ///< The key under the current layout (Keyboard::Key::Unknown when it has no code).
        Keyboard::Scan scancode{Keyboard::Scan::Unknown}; ///< The physical key.
        bool alt{};                                       ///< Whether an Alt key was down.
        bool control{};                                   ///< Whether a Control key was down.
        bool shift{};                                     ///< Whether a Shift key was down.
        bool system{};                                    ///< Whether a system (Super, Windows) key was down.
        friend bool operator==(const KeyReleased&, const KeyReleased&) = default;
    };
    /// A mouse wheel turned.
    struct MouseWheelScrolled
    {
        Mouse::Wheel wheel{}; ///< Which wheel turned.
        float
            delta{}; ///< How far it turned, in notches (fractions on smooth devices); positive is up (vertical wheel) or right (horizontal).
        Vector2i position; ///< The pointer's position, relative to the window.
        friend bool operator==(const MouseWheelScrolled&, const MouseWheelScrolled&) = default;
    };
    /// A mouse button went down.
    struct MouseButtonPressed
    {
        Mouse::Button button{}; ///< The button.
        Vector2i position;      ///< relative to the window
        friend bool operator==(const MouseButtonPressed&, const MouseButtonPressed&) = default;
    };
    /// A mouse button went up.
    struct MouseButtonReleased
    {
        Mouse::Button button{}; ///< The button.
        Vector2i position;      ///< relative to the window
        friend bool operator==(const MouseButtonReleased&, const MouseButtonReleased&) = default;
    };
    /// The pointer moved over the window.
    struct MouseMoved
    {
        Vector2i position; ///< relative to the window
        friend bool operator==(const MouseMoved&, const MouseMoved&) = default;
    };
    /// The mouse moved, before any acceleration or clipping to the screen; reported where the platform offers it (XInput 2 under X11).
    struct MouseMovedRaw
    {
        Vector2i delta; ///< unaccelerated device motion
        friend bool operator==(const MouseMovedRaw&, const MouseMovedRaw&) = default;
    };
    /// The pointer entered the window.
    struct MouseEntered
    {
        friend bool operator==(const MouseEntered&, const MouseEntered&) = default;
    };
    /// The pointer left the window.
    struct MouseLeft
    {
        friend bool operator==(const MouseLeft&, const MouseLeft&) = default;
    };
    /// A joystick button went down.
    struct JoystickButtonPressed
    {
        unsigned int joystickId{}; ///< The joystick, 0 to Joystick::Count - 1.
        unsigned int button{};     ///< The button, 0 to Joystick::ButtonCount - 1.
        friend bool operator==(const JoystickButtonPressed&, const JoystickButtonPressed&) = default;
    };
    /// A joystick button went up.
    struct JoystickButtonReleased
    {
        unsigned int joystickId{}; ///< The joystick, 0 to Joystick::Count - 1.
        unsigned int button{};     ///< The button, 0 to Joystick::ButtonCount - 1.
        friend bool operator==(const JoystickButtonReleased&, const JoystickButtonReleased&) = default;
    };
    /// A joystick axis moved by at least the window's joystick threshold.
    struct JoystickMoved
    {
        unsigned int joystickId{}; ///< The joystick, 0 to Joystick::Count - 1.
        Joystick::Axis axis{};     ///< The axis.
        float position{};          ///< The axis' new position, from -100 to 100.
        friend bool operator==(const JoystickMoved&, const JoystickMoved&) = default;
    };
    /// A joystick was connected.
    struct JoystickConnected
    {
        unsigned int joystickId{}; ///< The joystick, 0 to Joystick::Count - 1.
        friend bool operator==(const JoystickConnected&, const JoystickConnected&) = default;
    };
    /// A joystick was disconnected.
    struct JoystickDisconnected
    {
        unsigned int joystickId{}; ///< The joystick, 0 to Joystick::Count - 1.
        friend bool operator==(const JoystickDisconnected&, const JoystickDisconnected&) = default;
    };
    /// A finger touched the screen.
    struct TouchBegan
    {
        unsigned int finger{}; ///< The finger, numbered as mivra::Touch numbers them.
        Vector2i position;     ///< relative to the window
        friend bool operator==(const TouchBegan&, const TouchBegan&) = default;
    };
    /// A finger moved on the screen.
    struct TouchMoved
    {
        unsigned int finger{}; ///< The finger, numbered as mivra::Touch numbers them.
        Vector2i position;     ///< relative to the window
        friend bool operator==(const TouchMoved&, const TouchMoved&) = default;
    };
    /// A finger left the screen.
    struct TouchEnded
    {
        unsigned int finger{}; ///< The finger, numbered as mivra::Touch numbers them.
        Vector2i position;     ///< relative to the window
        friend bool operator==(const TouchEnded&, const TouchEnded&) = default;
    };
    /// A sensor gave a new reading.
    struct SensorChanged
    {
        Sensor::Type type{}; ///< The sensor.
        Vector3f value;      ///< The reading, in the sensor's unit (see mivra::Sensor).
        friend bool operator==(const SensorChanged&, const SensorChanged&) = default;
    };

private:
    using Data =
        std::variant<Closed, Resized, FocusLost, FocusGained, TextEntered, KeyPressed, KeyReleased, MouseWheelScrolled,
                     MouseButtonPressed, MouseButtonReleased, MouseMoved, MouseMovedRaw, MouseEntered, MouseLeft,
                     JoystickButtonPressed, JoystickButtonReleased, JoystickMoved, JoystickConnected,
                     JoystickDisconnected, TouchBegan, TouchMoved, TouchEnded, SensorChanged>;

    template <typename T, typename Variant>
    struct IsAlternative;
    template <typename T, typename... Ts>
    struct IsAlternative<T, std::variant<Ts...>> : std::bool_constant<(std::is_same_v<T, Ts> || ...)>
    {
    };

public:
    /// Whether T is one of the kinds above.
    template <typename T>
    static constexpr bool isKind = IsAlternative<std::remove_cvref_t<T>, Data>::value;

    /// The number of kinds.
    static constexpr std::size_t KindCount = std::variant_size_v<Data>;

    /// An event of the kind T, with its data.
    template <typename T>
    requires isKind<T> Event(const T& kind) : m_data(kind) {}

    template <typename T>
    /// Whether the event is of the kind T.
    [[nodiscard]] bool is() const
    {
        static_assert(isKind<T>, "Event::is: T must be one of the event kinds");
        return std::holds_alternative<T>(m_data);
    }

    /// The held kind's data if it is a T, else nullptr.
    template <typename T>
    /// The held kind's data if it is a T, else nullptr.
    ///@{
    [[nodiscard]] T* getIf()
    {
        static_assert(isKind<T>, "Event::getIf: T must be one of the event kinds");
        return std::get_if<T>(&m_data);
    }
    template <typename T>
    [[nodiscard]] const T* getIf() const
    {
        static_assert(isKind<T>, "Event::getIf: T must be one of the event kinds");
        ///@}
        return std::get_if<T>(&m_data);
    }

    /// Calls visitor with the held kind's data, dispatching on the kind's index; the visitor
    /// must accept every kind (a generic fallback does) and return the same type for each.
    template <typename Visitor>
    /// Calls visitor with the held kind's data, dispatching on the kind's index; the visitor
    /// must accept every kind (a generic fallback does) and return the same type for each.
    ///@{
    decltype(auto) visit(Visitor&& visitor)
    {
        return std::visit(std::forward<Visitor>(visitor), m_data);
    }
    template <typename Visitor>
    decltype(auto) visit(Visitor&& visitor) const
    {
        return std::visit(std::forward<Visitor>(visitor), m_data);
        ///@}
    }

    /// The held kind's position in the list above (Closed is 0, SensorChanged is 22).
    [[nodiscard]] std::size_t getKindIndex() const { return m_data.index(); }

    /// Same kind and same data.
    friend bool operator==(const Event&, const Event&) = default;

private:
    Data m_data;
};
} // namespace mivra
