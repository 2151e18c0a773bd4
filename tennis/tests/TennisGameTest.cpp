#include "TennisGame.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using tennis::Game;
using tennis::PlayerInput;

// The computer's decision clock, set by the test.
struct FakeClock
{
    mivra::Time elapsed = mivra::Time::Zero;
    int restarts = 0;
    mivra::Time getElapsedTime() const { return elapsed; }
    mivra::Time restart()
    {
        ++restarts;
        const mivra::Time previous = elapsed;
        elapsed = mivra::Time::Zero;
        return previous;
    }
};

constexpr mivra::Time frame = mivra::milliseconds(10); // the ball moves 4 pixels

// A game in play with the ball at `ball` heading `heading`, paddles at their start.
Game playingGame(mivra::Vector2f ball, float heading)
{
    Game game;
    game.playing = true;
    game.ball = ball;
    game.ballHeading = heading;
    return game;
}

TEST(TennisServe, HeadingsLeaveWithinFortyFiveDegreesOfTheHorizontal)
{
    int left = 0;
    int right = 0;
    for (unsigned seed = 0; seed < 2000; ++seed)
    {
        std::mt19937 engine(seed);
        Game game;
        game.player = {22.5f, 80.f};
        game.ball = {3.f, 3.f};
        game.serve(engine);
        ASSERT_GE(std::abs(std::cos(game.ballHeading)), 0.7f) << "seed " << seed;
        ASSERT_GE(game.ballHeading, 0.f);
        ASSERT_LT(game.ballHeading, 2 * tennis::pi);
        (std::cos(game.ballHeading) < 0 ? left : right)++;
        EXPECT_TRUE(game.playing);
        EXPECT_EQ(game.player, tennis::playerStart);
        EXPECT_EQ(game.computer, tennis::computerStart);
        EXPECT_EQ(game.ball, tennis::ballStart);
    }
    // Both directions are served, about equally often.
    EXPECT_GT(left, 800);
    EXPECT_GT(right, 800);
}

TEST(TennisServe, RejectedDrawsAreDrawnAgain)
{
    // Find a seed whose first draw points too steeply, then check the serve used a later draw.
    for (unsigned seed = 0;; ++seed)
    {
        std::mt19937 probe(seed);
        const float first = tennis::uniform(probe, 0.f, 360.f) * tennis::degreesToRadians;
        if (std::abs(std::cos(first)) >= 0.7f)
            continue;
        std::mt19937 engine(seed);
        Game game;
        game.serve(engine);
        EXPECT_NE(game.ballHeading, first);
        EXPECT_GE(std::abs(std::cos(game.ballHeading)), 0.7f);
        break;
    }
}

TEST(TennisServe, KeepsTheComputerSpeed)
{
    std::mt19937 engine(7);
    Game game;
    game.computerSpeed = -400.f;
    game.serve(engine);
    EXPECT_EQ(game.computerSpeed, -400.f);
}

TEST(TennisWalls, BallBouncesOffTopAndBottomWithOneSoundEach)
{
    std::mt19937 engine(1);
    FakeClock clock;

    const float up = -tennis::pi / 3; // up and to the right
    Game top = playingGame({400.f, 12.f}, up);
    auto result = top.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 1);
    EXPECT_FLOAT_EQ(top.ball.y, 10.1f);
    EXPECT_FLOAT_EQ(top.ball.x, 400.f + 4.f * std::cos(up));
    EXPECT_FLOAT_EQ(top.ballHeading, -up);
    EXPECT_TRUE(top.playing);

    Game bottom = playingGame({400.f, 588.f}, tennis::pi / 4);
    result = bottom.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 1);
    EXPECT_FLOAT_EQ(bottom.ball.y, 589.9f);
    EXPECT_FLOAT_EQ(bottom.ballHeading, -tennis::pi / 4);

    // In the open the ball just travels 400 px/s along its heading, silently.
    Game open = playingGame({400.f, 300.f}, 0.5f);
    result = open.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 0);
    EXPECT_FLOAT_EQ(open.ball.x, 400.f + 4.f * std::cos(0.5f));
    EXPECT_FLOAT_EQ(open.ball.y, 300.f + 4.f * std::sin(0.5f));
}

TEST(TennisPaddles, PlayerReturnsWithDeviationAwayFromItsCentre)
{
    FakeClock clock;
    for (unsigned seed = 0; seed < 200; ++seed)
    {
        // Below the paddle's centre: heading (pi - old) plus up to 20 degrees.
        std::mt19937 engine(seed);
        std::mt19937 twin(seed);
        Game below = playingGame({40.f, 320.f}, tennis::pi);
        const auto result = below.step(frame, {}, clock, engine);
        const float deviation = tennis::uniform(twin, 0.f, 20.f) * tennis::degreesToRadians;
        EXPECT_EQ(result.hits, 1);
        EXPECT_FLOAT_EQ(below.ballHeading, (tennis::pi - tennis::pi) + deviation);
        EXPECT_GE(below.ballHeading, 0.f);
        EXPECT_LT(below.ballHeading, 20.f * tennis::degreesToRadians);
        EXPECT_FLOAT_EQ(below.ball.x, 22.5f + 22.6f);
        EXPECT_FLOAT_EQ(below.ball.y, 320.f);

        // At or above the centre: decreased by up to 20 degrees.
        Game above = playingGame({40.f, 300.f}, tennis::pi);
        above.step(frame, {}, clock, engine);
        EXPECT_LE(above.ballHeading, 0.f);
        EXPECT_GT(above.ballHeading, -20.f * tennis::degreesToRadians);
    }
}

TEST(TennisPaddles, ComputerReturnsToTheLeft)
{
    FakeClock clock;
    std::mt19937 engine(3);
    std::mt19937 twin(3);
    Game game = playingGame({760.f, 330.f}, 0.f);
    const auto result = game.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 1);
    EXPECT_FLOAT_EQ(game.ballHeading, tennis::pi + tennis::uniform(twin, 0.f, 20.f) * tennis::degreesToRadians);
    EXPECT_FLOAT_EQ(game.ball.x, 777.5f - 22.6f);
    EXPECT_LT(std::cos(game.ballHeading), 0.f); // now heading left
}

TEST(TennisPaddles, OnlyTheFrontHalfAndTheHeightOfAPaddleReturnTheBall)
{
    FakeClock clock;
    std::mt19937 engine(5);
    // Past the player's centre line: the ball goes on and the game is lost.
    Game behind = playingGame({34.f, 300.f}, tennis::pi);
    auto result = behind.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 0);
    EXPECT_EQ(behind.ballHeading, tennis::pi);

    // Wholly above the paddle's top edge (ball bottom 239 + 10 - 0 < 250): no return.
    Game over = playingGame({40.f, 239.f}, tennis::pi);
    result = over.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 0);
    EXPECT_FLOAT_EQ(over.ball.x, 36.f);

    // Touching the paddle's top corner still counts (ball bottom == paddle top).
    Game corner = playingGame({40.f, 240.f}, tennis::pi);
    result = corner.step(frame, {}, clock, engine);
    EXPECT_EQ(result.hits, 1);
}

TEST(TennisComputer, DecidesOnlyAfterATenthOfASecond)
{
    std::mt19937 engine(1);
    Game game = playingGame({400.f, 500.f}, 0.f); // ball below the computer paddle
    FakeClock clock;
    clock.elapsed = mivra::microseconds(100'000);
    game.step(frame, {}, clock, engine);
    EXPECT_EQ(game.computerSpeed, 0.f); // not more than 0.1 s yet
    EXPECT_EQ(clock.restarts, 0);

    clock.elapsed = mivra::microseconds(100'001);
    game.step(frame, {}, clock, engine);
    EXPECT_EQ(game.computerSpeed, 400.f);
    EXPECT_EQ(clock.restarts, 1);
    // The decision moves the paddle from the next frame on.
    EXPECT_EQ(game.computer.y, 300.f);
    game.step(frame, {}, clock, engine);
    EXPECT_FLOAT_EQ(game.computer.y, 304.f);
}

TEST(TennisComputer, FollowsTheBallAndStopsWhenLevel)
{
    std::mt19937 engine(1);
    FakeClock clock;
    const auto decide = [&](float ballY) {
        Game game = playingGame({400.f, ballY}, 0.f);
        game.computerSpeed = 123.f;
        clock.elapsed = mivra::seconds(1.f);
        game.step(mivra::Time::Zero, {}, clock, engine);
        return game.computerSpeed;
    };
    EXPECT_EQ(decide(341.f), 400.f);  // ball bottom 351 below the paddle bottom 350
    EXPECT_EQ(decide(340.f), 0.f);    // level with the bottom edge
    EXPECT_EQ(decide(259.f), -400.f); // ball top 249 above the paddle top 250
    EXPECT_EQ(decide(260.f), 0.f);
    EXPECT_EQ(decide(300.f), 0.f);
}

TEST(TennisComputer, StaysWithinItsTravelLimits)
{
    std::mt19937 engine(1);
    FakeClock clock;
    Game game = playingGame({400.f, 300.f}, 0.f);
    game.computer.y = 55.f;
    game.computerSpeed = -400.f;
    game.step(frame, {}, clock, engine);
    EXPECT_EQ(game.computer.y, 55.f);
    game.computer.y = 545.f;
    game.computerSpeed = 400.f;
    game.step(frame, {}, clock, engine);
    EXPECT_EQ(game.computer.y, 545.f);
    game.computer.y = 544.f;
    game.step(frame, {}, clock, engine);
    EXPECT_FLOAT_EQ(game.computer.y, 548.f); // the last step may overshoot by one frame's move
}

TEST(TennisPlayer, KeysAndTouchMoveThePaddle)
{
    std::mt19937 engine(1);
    FakeClock clock;
    Game game = playingGame({400.f, 300.f}, 0.f);
    game.step(frame, {.up = true}, clock, engine);
    EXPECT_FLOAT_EQ(game.player.y, 296.f);
    game.step(frame, {.down = true}, clock, engine);
    EXPECT_FLOAT_EQ(game.player.y, 300.f);
    game.step(frame, {.up = true, .down = true}, clock, engine);
    EXPECT_FLOAT_EQ(game.player.y, 300.f); // up and back down

    game.player.y = 55.f;
    game.step(frame, {.up = true}, clock, engine);
    EXPECT_EQ(game.player.y, 55.f);
    game.player.y = 56.f;
    game.step(frame, {.up = true}, clock, engine);
    EXPECT_FLOAT_EQ(game.player.y, 52.f);
    game.player.y = 545.f;
    game.step(frame, {.down = true}, clock, engine);
    EXPECT_EQ(game.player.y, 545.f);

    // A finger puts the paddle where it is, beyond the limits too; x never changes.
    game.step(frame, {.touchY = 12.f}, clock, engine);
    EXPECT_EQ(game.player, (mivra::Vector2f{22.5f, 12.f}));
}

TEST(TennisEnd, PassingAnEdgeEndsTheGameWithItsBanner)
{
    std::mt19937 engine(1);
    FakeClock clock;
    Game game;
    EXPECT_EQ(game.banner, "Welcome to Mivra Tennis!\n\nPress space to start the game.");

    Game lost = playingGame({12.f, 100.f}, tennis::pi); // far above the player's paddle
    auto result = lost.step(frame, {}, clock, engine);
    EXPECT_TRUE(result.bannerChanged);
    EXPECT_FALSE(lost.playing);
    EXPECT_EQ(lost.banner, "You Lost!\n\nPress space to restart or\nescape to exit.");
    // The pieces stay where the game ended.
    EXPECT_FLOAT_EQ(lost.ball.x, 8.f);
    EXPECT_EQ(lost.player, tennis::playerStart);

    Game won = playingGame({788.f, 100.f}, 0.f);
    result = won.step(frame, {}, clock, engine);
    EXPECT_TRUE(result.bannerChanged);
    EXPECT_FALSE(won.playing);
    EXPECT_EQ(won.banner, "You Won!\n\nPress space to restart or\nescape to exit.");

    // The next serve starts afresh.
    won.serve(engine);
    EXPECT_TRUE(won.playing);
    EXPECT_EQ(won.ball, tennis::ballStart);

    Game still = playingGame({400.f, 300.f}, 0.f);
    result = still.step(frame, {}, clock, engine);
    EXPECT_FALSE(result.bannerChanged);
    EXPECT_TRUE(still.playing);
}

TEST(TennisEnd, WholeGamesAgainstTheComputer)
{
    for (unsigned seed = 0; seed < 20; ++seed)
    {
        // A player whose finger follows the ball never loses; the ball stays on the court.
        std::mt19937 engine(seed);
        Game game;
        game.serve(engine);
        FakeClock clock;
        int hits = 0;
        for (int frame = 0; frame < 3000 && game.playing; ++frame)
        {
            clock.elapsed += mivra::milliseconds(16);
            hits += game.step(mivra::milliseconds(16), {.touchY = game.ball.y}, clock, engine).hits;
            ASSERT_GE(game.ball.y, 10.f) << "seed " << seed;
            ASSERT_LE(game.ball.y, 590.f) << "seed " << seed;
        }
        EXPECT_NE(game.banner, tennis::lostBanner) << "seed " << seed;
        EXPECT_GT(hits, 0) << "seed " << seed;

        // With an idle player the game ends sooner or later.
        Game idle;
        idle.serve(engine);
        for (int frame = 0; frame < 100'000 && idle.playing; ++frame)
        {
            clock.elapsed += mivra::milliseconds(16);
            idle.step(mivra::milliseconds(16), {}, clock, engine);
        }
        EXPECT_FALSE(idle.playing) << "seed " << seed;
    }
}
} // namespace
