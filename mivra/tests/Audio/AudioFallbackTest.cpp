// Audio on the machine's own drivers, not the test drivers the other audio tests choose. Where no
// sound server runs (as on the test machines), every driver fails to open an output and the
// library falls back to a silent one: standard error then holds the library's one line saying so,
// and nothing from the sound libraries underneath.
#include <mivra/Audio/SoundRecorder.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Standard error of a child process that brings audio up with no driver chosen.
std::string stderrOfAudioStart()
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::close(pipeEnds[0]);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::unsetenv("SDL_AUDIODRIVER");
        (void)mivra::SoundRecorder::isAvailable(); // opens the output device
        std::_Exit(0);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], buffer, sizeof(buffer))) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return text;
}
} // namespace

TEST(AudioFallback, StandardErrorHoldsOnlyTheLibrarysLine)
{
    const std::string errors = stderrOfAudioStart();
    if (errors.empty())
        GTEST_SKIP() << "a driver opened an output here: there is no fallback to look at";
    const std::string head = "mivra: cannot open an audio output device: ";
    const std::string tail = "; sounds play on a silent null output\n";
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line only:\n" << errors;
    EXPECT_TRUE(errors.starts_with(head) && errors.ends_with(tail)) << errors;
}
