#include "AlsaMessages.hpp"

#include <dlfcn.h>

namespace mivra::detail
{
namespace
{
// libasound's snd_lib_error_handler_t.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler handler);

// What failed reaches the user through SDL's error text, in the library's own diagnostic line.
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}
} // namespace

void silenceAlsaMessages()
{
    // SDL loads libasound at run time, and so does this: no link against it, nothing to do on a
    // machine without it. Loading it here first makes SDL's later load share this instance and its
    // handler; the library stays loaded for the life of the process, as the handler must.
    void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    if (auto set = reinterpret_cast<SetAlsaErrorHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
        set(&dropAlsaMessage);
}
} // namespace mivra::detail
