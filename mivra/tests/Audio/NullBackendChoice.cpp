// Linked into a test program whose audio must run on the null backend: chosen while the program
// starts, before any test can touch the audio module.
#include "Audio/detail/NullAudioBackend.hpp"

namespace
{
const bool chosen = [] {
    mivra::detail::chooseAudioBackend(mivra::detail::nullAudioBackend());
    return true;
}();
} // namespace
