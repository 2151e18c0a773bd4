#pragma once

#include <mivra/System/Time.hpp>
#include <mivra/System/Vector2.hpp>

#include <optional>
#include <random>
#include <string>

namespace tennis
{
// Court, pieces and speeds, in pixels of the 800 x 600 court and pixels per second.
inline constexpr float courtWidth = 800.f;
inline constexpr float courtHeight = 600.f;
inline constexpr float paddleHalfWidth = 12.5f;
inline constexpr float paddleHalfHeight = 50.f;
inline constexpr float ballRadius = 10.f;
inline constexpr float paddleSpeed = 400.f;
inline constexpr float ballSpeed = 400.f;
inline constexpr mivra::Vector2f playerStart{22.5f, 300.f};
inline constexpr mivra::Vector2f computerStart{777.5f, 300.f};
inline constexpr mivra::Vector2f ballStart{400.f, 300.f};
inline constexpr mivra::Time decisionInterval = mivra::microseconds(100'000);

inline constexpr float pi = 3.14159274f;
inline constexpr float degreesToRadians = 0.0174532924f;

// The banner between games: its place and size on the court, and the three messages it shows.
inline constexpr mivra::Vector2f bannerPosition{170.f, 200.f};
inline constexpr unsigned int bannerCharacterSize = 40;
inline const std::string welcomeBanner = "Welcome to Mivra Tennis!\n\nPress space to start the game.";
inline const std::string lostBanner = "You Lost!\n\nPress space to restart or\nescape to exit.";
inline const std::string wonBanner = "You Won!\n\nPress space to restart or\nescape to exit.";

// What the player does during one frame.
struct PlayerInput
{
    bool up = false;
    bool down = false;
    std::optional<float> touchY; // finger 0's y in court coordinates, while it is down
};

// What a frame of play produced for the program to show and play.
struct StepResult
{
    int hits = 0;               // bounces off a wall or a paddle: one sound each
    bool bannerChanged = false; // the game ended and `banner` holds the new message
};

// The state of the game: the three pieces' centres, the ball's heading (radians, 0 to the right,
// positive angles downwards), the computer paddle's speed, and the banner shown between games.
class Game
{
public:
    mivra::Vector2f player = playerStart;
    mivra::Vector2f computer = computerStart;
    mivra::Vector2f ball = ballStart;
    float ballHeading = 0.f;
    float computerSpeed = 0.f;
    bool playing = false;
    std::string banner = welcomeBanner;

    // Puts the pieces back at their start and sends the ball off within about 45 degrees of the
    // horizontal. The computer's speed and decision clock carry over.
    void serve(std::mt19937& engine);

    // One frame of play, `elapsed` since the previous one. The computer decides again when more
    // than 0.1 s have passed on `opponentClock` (anything with getElapsedTime() and restart()).
    template <typename OpponentClock>
    StepResult step(mivra::Time elapsed, const PlayerInput& input, OpponentClock& opponentClock, std::mt19937& engine)
    {
        const float dt = static_cast<float>(elapsed.asMicroseconds()) / 1'000'000.f;
        movePaddles(dt, input);
        if (opponentClock.getElapsedTime() > decisionInterval)
        {
            opponentClock.restart();
            decideComputerSpeed();
        }
        return moveBall(dt, engine);
    }

private:
    void movePaddles(float dt, const PlayerInput& input);
    void decideComputerSpeed();
    StepResult moveBall(float dt, std::mt19937& engine);
};

// A uniform float in [low, high) from one draw of the engine.
[[nodiscard]] float uniform(std::mt19937& engine, float low, float high);
} // namespace tennis
