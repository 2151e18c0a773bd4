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
    struct Closed
    {
        friend bool operator==(const Closed&, const Closed&) = default;
    };
    struct Resized
    {
        Vector2u size;
        friend bool operator==(const Resized&, const Resized&) = default;
    };
    struct FocusLost
    {
        friend bool operator==(const FocusLost&, const FocusLost&) = default;
    };
    struct FocusGained
    {
        friend bool operator==(const FocusGained&, const FocusGained&) = default;
    };
    struct TextEntered
    {
        char32_t unicode{};
        friend bool operator==(const TextEntered&, const TextEntered&) = default;
    };
    struct KeyPressed
    {
        Keyboard::Key code{Keyboard::Key::Unknown};
        Keyboard::Scan scancode{Keyboard::Scan::Unknown};
        bool alt{};
        bool control{};
        bool shift{};
        bool system{};
        friend bool operator==(const KeyPressed&, const KeyPressed&) = default;
    };
    struct KeyReleased
    {
        Keyboard::Key code{Keyboard::Key::Unknown};
        Keyboard::Scan scancode{Keyboard::Scan::Unknown};
        bool alt{};
        bool control{};
        bool shift{};
        bool system{};
        friend bool operator==(const KeyReleased&, const KeyReleased&) = default;
    };
    struct MouseWheelScrolled
    {
        Mouse::Wheel wheel{};
        float delta{}; ///< positive: up (vertical) or right (horizontal)
        Vector2i position;
        friend bool operator==(const MouseWheelScrolled&, const MouseWheelScrolled&) = default;
    };
    struct MouseButtonPressed
    {
        Mouse::Button button{};
        Vector2i position; ///< relative to the window
        friend bool operator==(const MouseButtonPressed&, const MouseButtonPressed&) = default;
    };
    struct MouseButtonReleased
    {
        Mouse::Button button{};
        Vector2i position; ///< relative to the window
        friend bool operator==(const MouseButtonReleased&, const MouseButtonReleased&) = default;
    };
    struct MouseMoved
    {
        Vector2i position; ///< relative to the window
        friend bool operator==(const MouseMoved&, const MouseMoved&) = default;
    };
    struct MouseMovedRaw
    {
        Vector2i delta; ///< unaccelerated device motion
        friend bool operator==(const MouseMovedRaw&, const MouseMovedRaw&) = default;
    };
    struct MouseEntered
    {
        friend bool operator==(const MouseEntered&, const MouseEntered&) = default;
    };
    struct MouseLeft
    {
        friend bool operator==(const MouseLeft&, const MouseLeft&) = default;
    };
    struct JoystickButtonPressed
    {
        unsigned int joystickId{};
        unsigned int button{};
        friend bool operator==(const JoystickButtonPressed&, const JoystickButtonPressed&) = default;
    };
    struct JoystickButtonReleased
    {
        unsigned int joystickId{};
        unsigned int button{};
        friend bool operator==(const JoystickButtonReleased&, const JoystickButtonReleased&) = default;
    };
    struct JoystickMoved
    {
        unsigned int joystickId{};
        Joystick::Axis axis{};
        float position{}; ///< -100 to 100
        friend bool operator==(const JoystickMoved&, const JoystickMoved&) = default;
    };
    struct JoystickConnected
    {
        unsigned int joystickId{};
        friend bool operator==(const JoystickConnected&, const JoystickConnected&) = default;
    };
    struct JoystickDisconnected
    {
        unsigned int joystickId{};
        friend bool operator==(const JoystickDisconnected&, const JoystickDisconnected&) = default;
    };
    struct TouchBegan
    {
        unsigned int finger{};
        Vector2i position; ///< relative to the window
        friend bool operator==(const TouchBegan&, const TouchBegan&) = default;
    };
    struct TouchMoved
    {
        unsigned int finger{};
        Vector2i position; ///< relative to the window
        friend bool operator==(const TouchMoved&, const TouchMoved&) = default;
    };
    struct TouchEnded
    {
        unsigned int finger{};
        Vector2i position; ///< relative to the window
        friend bool operator==(const TouchEnded&, const TouchEnded&) = default;
    };
    struct SensorChanged
    {
        Sensor::Type type{};
        Vector3f value;
        friend bool operator==(const SensorChanged&, const SensorChanged&) = default;
    };

private:
    using Data = std::variant<Closed,
                              Resized,
                              FocusLost,
                              FocusGained,
                              TextEntered,
                              KeyPressed,
                              KeyReleased,
                              MouseWheelScrolled,
                              MouseButtonPressed,
                              MouseButtonReleased,
                              MouseMoved,
                              MouseMovedRaw,
                              MouseEntered,
                              MouseLeft,
                              JoystickButtonPressed,
                              JoystickButtonReleased,
                              JoystickMoved,
                              JoystickConnected,
                              JoystickDisconnected,
                              TouchBegan,
                              TouchMoved,
                              TouchEnded,
                              SensorChanged>;

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

    template <typename T>
        requires isKind<T>
    Event(const T& kind) : m_data(kind)
    {
    }

    template <typename T>
    [[nodiscard]] bool is() const
    {
        static_assert(isKind<T>, "Event::is: T must be one of the event kinds");
        return std::holds_alternative<T>(m_data);
    }

    /// The held kind's data if it is a T, else nullptr.
    template <typename T>
    [[nodiscard]] T* getIf()
    {
        static_assert(isKind<T>, "Event::getIf: T must be one of the event kinds");
        return std::get_if<T>(&m_data);
    }
    template <typename T>
    [[nodiscard]] const T* getIf() const
    {
        static_assert(isKind<T>, "Event::getIf: T must be one of the event kinds");
        return std::get_if<T>(&m_data);
    }

    /// Calls visitor with the held kind's data, dispatching on the kind's index; the visitor
    /// must accept every kind (a generic fallback does) and return the same type for each.
    template <typename Visitor>
    decltype(auto) visit(Visitor&& visitor)
    {
        return std::visit(std::forward<Visitor>(visitor), m_data);
    }
    template <typename Visitor>
    decltype(auto) visit(Visitor&& visitor) const
    {
        return std::visit(std::forward<Visitor>(visitor), m_data);
    }

    /// The held kind's position in the list above (Closed is 0, SensorChanged is 22).
    [[nodiscard]] std::size_t getKindIndex() const { return m_data.index(); }

    friend bool operator==(const Event&, const Event&) = default;

private:
    Data m_data;
};
} // namespace mivra
