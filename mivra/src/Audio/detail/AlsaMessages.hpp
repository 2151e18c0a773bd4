#pragma once

namespace mivra::detail
{
// Keeps libasound's own messages off standard error. Where no sound server runs, SDL's ALSA driver
// fails to open a device and libasound prints a dozen lines of its own before the library's one line
// saying that it falls back to a silent output. Call before SDL's audio starts; harmless where
// libasound is not installed.
void silenceAlsaMessages();
} // namespace mivra::detail
