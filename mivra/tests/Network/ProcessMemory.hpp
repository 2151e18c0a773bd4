#pragma once

// Test support: this process's resident memory, as the kernel counts it, for tests and tools that
// bound what an operation costs.

#include <cstddef>
#include <fstream>
#include <string>

namespace mivra::test
{
// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when it cannot be read.
inline std::size_t statusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stoull(line.substr(field.size() + 1)) * 1024; // the kernel gives kB
    return 0;
}

inline std::size_t residentBytes()
{
    return statusBytes("VmRSS");
}

// Starts the peak count (VmHWM) again from the current resident size; false when the kernel
// refuses.
inline bool resetPeakResident()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

inline std::size_t peakResidentBytes()
{
    return statusBytes("VmHWM");
}

// Sanitizers keep freed memory in quarantine and add shadow memory: resident sizes then say
// nothing about the code under test.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool residentSizesAreMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool residentSizesAreMeaningful = false;
#else
constexpr bool residentSizesAreMeaningful = true;
#endif
#else
constexpr bool residentSizesAreMeaningful = true;
#endif
} // namespace mivra::test
