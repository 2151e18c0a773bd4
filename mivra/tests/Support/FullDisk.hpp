#pragma once

#include "DiagnosticCapture.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

namespace mivra::test
{
// What a check run on a full disk found.
struct FullDiskResult
{
    // Why the disk could not be made (no root, no mount namespaces); the check did not run.
    std::string skipped;
    // What the check found wrong; empty when all held.
    std::string problems;
};

// Fills the file system holding `dir` with a file named "filler", up to its last byte.
inline void fillDisk(const std::filesystem::path& dir)
{
    const int handle = ::open((dir / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::vector<char> block(4096, 'x');
    for (std::size_t size = block.size(); handle != -1 && size > 0;)
    {
        if (::write(handle, block.data(), size) <= 0)
            size /= 2; // the last blocks fill the last bytes
    }
    if (handle != -1)
        ::close(handle);
}

// Runs `check` in a child process, in a private mount namespace where `dir` is a fresh 512 KiB
// tmpfs: a real file system that fills up, without touching the machine's disks (the mount goes
// away with the child). The check returns what it found wrong; it may call fillDisk.
inline FullDiskResult onSmallDisk(const std::filesystem::path& dir,
                                  const std::function<std::string(const std::filesystem::path&)>& check)
{
    std::filesystem::create_directories(dir);
    int channel[2];
    if (::pipe(channel) == -1)
        return {"pipe: " + std::string(std::strerror(errno)), {}};
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::close(channel[0]);
        std::string report;
        if (::unshare(CLONE_NEWNS) == -1)
            report = "S: cannot make a mount namespace: " + std::string(std::strerror(errno));
        // Private, so that the tmpfs never shows outside this namespace.
        else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == -1 ||
                 ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=512k") == -1)
            report = "S: cannot mount a tmpfs: " + std::string(std::strerror(errno));
        else
            report = "R:" + check(dir);
        for (std::size_t done = 0; done < report.size();)
        {
            const ssize_t written = ::write(channel[1], report.data() + done, report.size() - done);
            if (written <= 0)
                break;
            done += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) != 0;)
    {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::filesystem::remove_all(dir);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {{}, "the check's process died (status " + std::to_string(status) + ")"};
    if (report.rfind("S:", 0) == 0)
        return {report.substr(2), {}};
    if (report.rfind("R:", 0) != 0)
        return {{}, "the check's process reported nothing"};
    return {{}, report.substr(2)};
}

// How a saver is checked on a full disk (checkSavesOnFullDisk()).
struct SaveOnFullDisk
{
    // The file names to save to, one per format.
    std::vector<const char*> names;
    // Saves something small, then something larger than the room a full disk leaves.
    std::function<bool(const std::filesystem::path&)> saveSmall;
    std::function<bool(const std::filesystem::path&)> saveLarge;
    // Whether the one diagnostic line of the failed save is the right one.
    std::function<bool(const std::filesystem::path& file, const std::string& line)> rightLine;
    // Whether the larger save, made with room again, replaced the file (its contents before given).
    std::function<bool(const std::filesystem::path& file, const std::string& before)> replaced;
};

inline std::string contentsOf(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// For each name: a small save succeeds; with the disk full, the larger save fails, reports one
// right line and leaves the old file as it was with nothing beside it; with room again, the
// larger save replaces the file. Returns what went wrong; empty when all held.
inline std::string checkSavesOnFullDisk(const std::filesystem::path& disk, const SaveOnFullDisk& check)
{
    std::string problems;
    for (const char* name : check.names)
    {
        const auto file = disk / name;
        if (!check.saveSmall(file))
            return std::string(name) + ": the first save failed";
        const std::string before = contentsOf(file);
        fillDisk(disk);
        {
            DiagnosticCapture diagnostics;
            if (check.saveLarge(file))
                problems += std::string(name) + ": a save onto a full disk reported success; ";
            const std::vector<std::string> lines = diagnostics.take();
            if (lines.size() != 1 || !check.rightLine(file, lines[0]))
                problems += std::string(name) + ": diagnostics " + (lines.empty() ? "none" : lines[0]) + "; ";
        }
        if (contentsOf(file) != before)
            problems += std::string(name) + ": the old file changed; ";
        std::filesystem::remove(disk / "filler");
        for (const auto& entry : std::filesystem::directory_iterator(disk))
            if (entry.path() != file)
                problems += "left behind: " + entry.path().string() + "; ";
        if (!check.saveLarge(file) || !check.replaced(file, before))
            problems += std::string(name) + ": the save with room did not replace the file; ";
        std::filesystem::remove(file);
    }
    return problems;
}
} // namespace mivra::test
