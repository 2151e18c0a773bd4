#include "TennisGame.hpp"

#include <cmath>

namespace tennis
{
namespace
{
constexpr float topLimit = 5.f; // paddles stop 5 pixels from the walls
constexpr float bottomLimit = 595.f;
constexpr float maxDeviation = 20.f; // degrees added to or taken from a returned ball's heading

// Whether a paddle centred at `y` may still move in the direction of `speed`.
bool canMove(float y, float speed)
{
    return (speed < 0.f && y - paddleHalfHeight > topLimit) || (speed > 0.f && y + paddleHalfHeight < bottomLimit);
}

// The heading of a ball returned by a paddle: mirrored, then turned away from the paddle's centre
// by a random amount.
float returnHeading(float heading, float ballY, float paddleY, std::mt19937& engine)
{
    const float deviation = uniform(engine, 0.f, maxDeviation) * degreesToRadians;
    return ballY > paddleY ? (pi - heading) + deviation : (pi - heading) - deviation;
}

bool level(const mivra::Vector2f& ball, const mivra::Vector2f& paddle)
{
    return ball.y + ballRadius >= paddle.y - paddleHalfHeight && ball.y - ballRadius <= paddle.y + paddleHalfHeight;
}
} // namespace

float uniform(std::mt19937& engine, float low, float high)
{
    return std::uniform_real_distribution<float>(low, high)(engine);
}

void Game::serve(std::mt19937& engine)
{
    player = playerStart;
    computer = computerStart;
    ball = ballStart;
    do
        ballHeading = uniform(engine, 0.f, 360.f) * degreesToRadians;
    while (std::abs(std::cos(ballHeading)) < 0.7f);
    playing = true;
}

void Game::movePaddles(float dt, const PlayerInput& input)
{
    if (input.up && canMove(player.y, -paddleSpeed))
        player.y += -paddleSpeed * dt;
    if (input.down && canMove(player.y, paddleSpeed))
        player.y += paddleSpeed * dt;
    if (input.touchY)
        player.y = *input.touchY; // a finger goes anywhere, limits or not

    if (canMove(computer.y, computerSpeed))
        computer.y += computerSpeed * dt;
}

void Game::decideComputerSpeed()
{
    if (ball.y + ballRadius > computer.y + paddleHalfHeight)
        computerSpeed = paddleSpeed;
    else if (ball.y - ballRadius < computer.y - paddleHalfHeight)
        computerSpeed = -paddleSpeed;
    else
        computerSpeed = 0.f;
}

StepResult Game::moveBall(float dt, std::mt19937& engine)
{
    StepResult result;
    const float distance = ballSpeed * dt;
    ball += mivra::Vector2f(distance * std::cos(ballHeading), distance * std::sin(ballHeading));

    if (ball.x - ballRadius < 0.f)
    {
        banner = lostBanner;
        playing = false;
        result.bannerChanged = true;
    }
    if (ball.x + ballRadius > courtWidth)
    {
        banner = wonBanner;
        playing = false;
        result.bannerChanged = true;
    }

    if (ball.y - ballRadius < 0.f)
    {
        ++result.hits;
        ballHeading = -ballHeading;
        ball.y = 10.1f; // just clear of the wall
    }
    if (ball.y + ballRadius > courtHeight)
    {
        ++result.hits;
        ballHeading = -ballHeading;
        ball.y = 589.9f;
    }

    if (ball.x - ballRadius < player.x + paddleHalfWidth && ball.x - ballRadius > player.x && level(ball, player))
    {
        ballHeading = returnHeading(ballHeading, ball.y, player.y, engine);
        ++result.hits;
        ball.x = player.x + ballRadius + paddleHalfWidth + 0.1f;
    }
    if (ball.x + ballRadius > computer.x - paddleHalfWidth && ball.x + ballRadius < computer.x && level(ball, computer))
    {
        ballHeading = returnHeading(ballHeading, ball.y, computer.y, engine);
        ++result.hits;
        ball.x = computer.x - ballRadius - paddleHalfWidth - 0.1f;
    }
    return result;
}
} // namespace tennis
