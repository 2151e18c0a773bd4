// Event handling: logs mouse, key and touch events through one of five interchangeable dispatch
// styles. Enter switches to the next style; every style writes the same lines, they differ only in
// how a polled event travels to the code that reacts to its kind:
//   Classic  - test the kind with is/getIf in the drain loop
//   Visitor  - a struct with one call operator per handled kind, returning an optional line
//   Overload - an overload set built from single-kind lambdas plus a catch-all
//   Generic  - one generic lambda deciding per kind with if constexpr
//   Forward  - one generic lambda forwarding to overloaded handle() members

#include "Layout.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window.hpp>

#include <filesystem>
#include <iostream>
#include <locale>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace
{
enum class HandlerType
{
    Classic,
    Visitor,
    Overload,
    Generic,
    Forward
};

constexpr std::size_t MaxLogLines = 24;

std::string positionToString(mivra::Vector2i position)
{
    std::string text("(");
    text += std::to_string(position.x) + ", " + std::to_string(position.y) + ")";
    return text;
}

template <typename... Callables>
struct Overloaded : Callables...
{
    using Callables::operator()...;
};
template <typename... Callables>
Overloaded(Callables...) -> Overloaded<Callables...>;

// The demo's window, texts and log; main drives it.
class Application
{
public:
    // Set-up: the window and the texts.
    Application()
        : window(mivra::VideoMode(event_handling::windowSize), mivra::String("Mivra Event Handling", std::locale()),
                 mivra::Style::Titlebar | mivra::Style::Close, mivra::State::Windowed, mivra::ContextSettings()),
          font(std::filesystem::path(MIVRA_RESOURCE_DIR) / "tuffy.ttf"),
          logText(font, mivra::String("", std::locale()), 20),
          handlerText(font, mivra::String(event_handling::handlerLines[0], std::locale()),
                      event_handling::bannerCharacterSize),
          instructionsText(font, mivra::String(event_handling::instructionsLine, std::locale()),
                           event_handling::bannerCharacterSize)
    {
        window.setVerticalSyncEnabled(true);

        logText.setFillColor(mivra::Color::White);
        handlerText.setFillColor(mivra::Color::White);
        handlerText.setStyle(mivra::Text::Bold);
        handlerText.setPosition(event_handling::handlerPosition);
        instructionsText.setFillColor(mivra::Color::White);
        instructionsText.setStyle(mivra::Text::Bold);
        instructionsText.setPosition(event_handling::instructionsPosition);
    }

    // Loop: events, update, draw.
    void run()
    {
        while (window.isOpen())
        {
            // Events, through the current dispatch style
            switch (handlerType)
            {
            case HandlerType::Classic: handleClassic(); break;
            case HandlerType::Visitor: handleVisitor(); break;
            case HandlerType::Overload: handleOverload(); break;
            case HandlerType::Generic: handleGeneric(); break;
            case HandlerType::Forward: handleForward(); break;
            }

            // Update: trimmed once per frame, after the drain, so the newest 24 lines remain.
            if (eventLog.size() > MaxLogLines)
                eventLog.erase(eventLog.begin(),
                               eventLog.begin() + static_cast<std::ptrdiff_t>(eventLog.size() - MaxLogLines));

            // Draw: one text object draws every line; lineString keeps its storage from frame to frame.
            window.clear(mivra::Color::Black);
            for (std::size_t i = 0; i < eventLog.size(); ++i)
            {
                logText.setPosition({50.f, 50.f + 20.f * static_cast<float>(i)});
                logText.setString(lineString.assign(eventLog[i], std::locale()));
                window.draw(logText);
            }
            window.draw(handlerText);
            window.draw(instructionsText);
            window.display();
        }
    }

private:
    // ---- Reactions shared by every style ----------------------------------------------------

    std::string keyLine(const mivra::Event::KeyPressed& keyPressed) const
    {
        const mivra::String description = mivra::Keyboard::getDescription(keyPressed.scancode);
        return (mivra::String("Key Pressed: ", std::locale()) + description).toAnsiString();
    }

    static std::string mouseMovedLine(const mivra::Event::MouseMoved& mouseMoved)
    {
        return "Mouse Moved: " + positionToString(mouseMoved.position);
    }

    static std::string touchBeganLine(const mivra::Event::TouchBegan& touchBegan)
    {
        return "Touch Began: " + positionToString(touchBegan.position);
    }

    void switchHandler(HandlerType type)
    {
        handlerType = type;
        handlerText.setString(
            mivra::String(event_handling::handlerLines[static_cast<std::size_t>(type)], std::locale()));
    }

    static bool isEnter(const mivra::Event::KeyPressed& keyPressed)
    {
        return keyPressed.code == mivra::Keyboard::Key::Enter;
    }

    // ---- Classic: typed tests in the drain loop ----------------------------------------------

    void handleClassic()
    {
        while (const std::optional event = window.pollEvent())
        {
            if (event->is<mivra::Event::Closed>())
            {
                window.close();
                break;
            }
            if (const auto* keyPressed = event->getIf<mivra::Event::KeyPressed>())
            {
                eventLog.push_back(keyLine(*keyPressed));
                if (isEnter(*keyPressed))
                    switchHandler(HandlerType::Visitor);
            }
            else if (const auto* mouseMoved = event->getIf<mivra::Event::MouseMoved>())
                eventLog.push_back(mouseMovedLine(*mouseMoved));
            else if (event->is<mivra::Event::MouseButtonPressed>())
                eventLog.emplace_back("Mouse Pressed");
            else if (const auto* touchBegan = event->getIf<mivra::Event::TouchBegan>())
                eventLog.push_back(touchBeganLine(*touchBegan));
        }
    }

    // ---- Visitor: one call operator per kind, yielding an optional line --------------------

    struct LogVisitor
    {
        Application& application;

        std::optional<std::string> operator()(const mivra::Event::Closed&) const
        {
            application.window.close();
            return std::nullopt;
        }

        std::optional<std::string> operator()(const mivra::Event::KeyPressed& keyPressed) const
        {
            // The switch comes first; the line is still logged.
            if (isEnter(keyPressed))
                application.switchHandler(HandlerType::Overload);
            return application.keyLine(keyPressed);
        }

        std::optional<std::string> operator()(const mivra::Event::MouseMoved& mouseMoved) const
        {
            return mouseMovedLine(mouseMoved);
        }

        std::optional<std::string> operator()(const mivra::Event::MouseButtonPressed&) const { return "Mouse Pressed"; }

        std::optional<std::string> operator()(const mivra::Event::TouchBegan& touchBegan) const
        {
            return touchBeganLine(touchBegan);
        }

        template <typename Kind>
        std::optional<std::string> operator()(const Kind&) const
        {
            return std::nullopt;
        }
    };

    void handleVisitor()
    {
        while (const std::optional event = window.pollEvent())
        {
            if (std::optional line = event->visit(LogVisitor{*this}))
                eventLog.push_back(std::move(*line));
        }
    }

    // ---- Overload: single-kind lambdas combined with a catch-all ----------------------------

    void handleOverload()
    {
        const Overloaded handler{[&application = *this](const mivra::Event::Closed&) { application.window.close(); },
                                 [&application = *this](const mivra::Event::KeyPressed& keyPressed) {
                                     application.eventLog.push_back(application.keyLine(keyPressed));
                                     if (isEnter(keyPressed))
                                         application.switchHandler(HandlerType::Generic);
                                 },
                                 [&application = *this](const mivra::Event::MouseMoved& mouseMoved) {
                                     application.eventLog.push_back(mouseMovedLine(mouseMoved));
                                 },
                                 [&application = *this](const mivra::Event::MouseButtonPressed&) {
                                     application.eventLog.emplace_back("Mouse Pressed");
                                 },
                                 [&application = *this](const mivra::Event::TouchBegan& touchBegan) {
                                     application.eventLog.push_back(touchBeganLine(touchBegan));
                                 },
                                 [](const auto&) {}};

        while (const std::optional event = window.pollEvent())
            event->visit(handler);
    }

    // ---- Generic: one lambda, the kind decided at compile time -----------------------------

    void handleGeneric()
    {
        const auto handler = [this](const auto& data) {
            using Kind = std::decay_t<decltype(data)>;
            if constexpr (std::is_same_v<Kind, mivra::Event::Closed>)
                window.close();
            else if constexpr (std::is_same_v<Kind, mivra::Event::KeyPressed>)
            {
                eventLog.push_back(keyLine(data));
                if (isEnter(data))
                    switchHandler(HandlerType::Forward);
            }
            else if constexpr (std::is_same_v<Kind, mivra::Event::MouseMoved>)
                eventLog.push_back(mouseMovedLine(data));
            else if constexpr (std::is_same_v<Kind, mivra::Event::MouseButtonPressed>)
                eventLog.emplace_back("Mouse Pressed");
            else if constexpr (std::is_same_v<Kind, mivra::Event::TouchBegan>)
                eventLog.push_back(touchBeganLine(data));
        };

        while (const std::optional event = window.pollEvent())
            event->visit(handler);
    }

    // ---- Forward: overload resolution on handle() ------------------------------------------

    void handle(const mivra::Event::Closed&) { window.close(); }

    void handle(const mivra::Event::KeyPressed& keyPressed)
    {
        eventLog.push_back(keyLine(keyPressed));
        if (isEnter(keyPressed))
            switchHandler(HandlerType::Classic);
    }

    void handle(const mivra::Event::MouseMoved& mouseMoved) { eventLog.push_back(mouseMovedLine(mouseMoved)); }
    void handle(const mivra::Event::MouseButtonPressed&) { eventLog.emplace_back("Mouse Pressed"); }
    void handle(const mivra::Event::TouchBegan& touchBegan) { eventLog.push_back(touchBeganLine(touchBegan)); }

    template <typename Kind>
    void handle(const Kind&)
    {
    }

    void handleForward()
    {
        const auto handler = [this](const auto& data) { handle(data); };
        while (const std::optional event = window.pollEvent())
            event->visit(handler);
    }

    mivra::RenderWindow window;
    mivra::Font font;
    mivra::Text logText;
    mivra::Text handlerText;
    mivra::Text instructionsText;
    std::vector<std::string> eventLog;
    HandlerType handlerType{HandlerType::Classic};
    mivra::String lineString;
};
} // namespace

int main()
{
    try
    {
        // Set-up
        Application application;
        // Loop: events, update, draw
        application.run();
        // Clean-up: the window, font and texts go with the application.
    }
    catch (const mivra::Exception& error)
    {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
