// Keeps Mesa's libraries loaded for the life of the test process. They are otherwise unloaded
// when the last context goes, before LeakSanitizer looks at the heap at exit: what the driver keeps
// for itself then shows up as leaks from an unknown module, which no suppression can name, and the
// thread-local storage of an unloaded library can even crash the leak check. Resident, the
// driver's memory is attributed to its own libraries and suppressed as theirs.
#include <dlfcn.h>

#include <initializer_list>

namespace
{
const int librariesResident = [] {
    int count = 0;
    for (const char* library : {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
        count += dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) ? 1 : 0;
    return count;
}();
} // namespace
