// Preloaded into the engine (LD_PRELOAD) to make OpenGL report real errors:
// Qt resolves every OpenGL function of the engine through the window
// system's glXGetProcAddressARB, and here glClear is resolved to a call of
// the driver's own glClear with a bit no buffer has, which the driver refuses
// with GL_INVALID_VALUE and draws nothing. Everything else is the driver's.

#include <cstring>
#include <dlfcn.h>

namespace {

using Proc = void (*)();
using GetProc = Proc (*)(const unsigned char*);
using Clear = void (*)(unsigned);

Clear g_driverClear = nullptr;

void refusedClear(unsigned mask) {
    g_driverClear(mask | 0x80000000U);
}

Proc resolve(const char* resolver, const unsigned char* name) {
    const auto driver = reinterpret_cast<GetProc>(dlsym(RTLD_NEXT, resolver));
    const Proc proc = driver ? driver(name) : nullptr;
    if (proc && std::strcmp(reinterpret_cast<const char*>(name), "glClear") == 0) {
        g_driverClear = reinterpret_cast<Clear>(proc);
        return reinterpret_cast<Proc>(&refusedClear);
    }
    return proc;
}

} // namespace

extern "C" Proc glXGetProcAddressARB(const unsigned char* name) {
    return resolve("glXGetProcAddressARB", name);
}

extern "C" Proc glXGetProcAddress(const unsigned char* name) {
    return resolve("glXGetProcAddress", name);
}
