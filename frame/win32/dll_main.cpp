// The DLL's entry, and the parts of the C++ runtime that a DLL loaded and unloaded for every
// installer call must own itself.
//
// The installer loads a custom-action DLL for each call and frees it afterwards, thousands of
// times in a long session. Whatever the runtime takes per load must therefore be given back at
// unload, and on Windows 95 the DLL must not carry a TLS directory at all (its loader refuses
// such a DLL). As the runtime comes out of the box, neither holds:
// - the exception runtime's per-thread state lives in an emulated thread-local variable whose
//   TlsAlloc slot is never freed, one slot per load in which something is raised, until the
//   process runs out of them and the runtime aborts;
// - its emergency exception pool is allocated at every load and never freed;
// - the MinGW startup code brings a TLS directory, for thread-local support nothing here uses;
// - the verbose terminate handler drags in the demangler and printf, a third of the DLL.
// This file replaces each of those with a small part whose lifetime is the DLL's.
#include <windows.h>

#include <cstdlib>
#include <cxxabi.h>
#include <exception>

#include "win32_platform.h"

namespace __gnu_cxx {
// Frees the emergency exception pool (libstdc++, eh_alloc.cc); no header declares it.
void __freeres();
}  // namespace __gnu_cxx

// The per-thread exception state, laid out as the Itanium C++ ABI defines it. The runtime links
// with these functions instead of its own, whose thread-local variable would keep a slot.
struct __cxxabiv1::__cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

namespace {

using EhGlobals = __cxxabiv1::__cxa_eh_globals;

// One thread's state, kept in a list so that unloading frees the blocks of threads still alive.
struct ThreadGlobals {
    EhGlobals globals;
    ThreadGlobals* next;
};

// Taken at attach and given back at detach. Where the slot or a thread's block cannot be had,
// the thread falls back on one shared block: exceptions still work, as long as two threads do
// not raise at the same moment, which beats terminating the installer's process.
DWORD slot = TLS_OUT_OF_INDEXES;
CRITICAL_SECTION listLock;
ThreadGlobals* threads = nullptr;
EhGlobals sharedGlobals{};

void attachRuntime() noexcept {
    InitializeCriticalSection(&listLock);
    slot = TlsAlloc();
}

EhGlobals* globalsOfThisThread() noexcept {
    if (slot == TLS_OUT_OF_INDEXES) return &sharedGlobals;
    if (void* known = TlsGetValue(slot)) return static_cast<EhGlobals*>(known);
    auto* own = static_cast<ThreadGlobals*>(std::calloc(1, sizeof(ThreadGlobals)));
    if (own == nullptr) {
        TlsSetValue(slot, &sharedGlobals);
        return &sharedGlobals;
    }
    EnterCriticalSection(&listLock);
    own->next = threads;
    threads = own;
    LeaveCriticalSection(&listLock);
    TlsSetValue(slot, own);
    return &own->globals;
}

void detachThread() noexcept {
    if (slot == TLS_OUT_OF_INDEXES) return;
    void* block = TlsGetValue(slot);
    if (block == nullptr || block == &sharedGlobals) return;
    EnterCriticalSection(&listLock);
    for (ThreadGlobals** link = &threads; *link != nullptr; link = &(*link)->next)
        if (*link == block) {
            *link = (*link)->next;
            break;
        }
    LeaveCriticalSection(&listLock);
    TlsSetValue(slot, nullptr);
    std::free(block);
}

void detachRuntime() noexcept {
    while (threads != nullptr) {
        ThreadGlobals* next = threads->next;
        std::free(threads);
        threads = next;
    }
    if (slot != TLS_OUT_OF_INDEXES) TlsFree(slot);
    slot = TLS_OUT_OF_INDEXES;
    DeleteCriticalSection(&listLock);
    __gnu_cxx::__freeres();
}

}  // namespace

extern "C" {

// The DLL startup code calls this TLS hook only when it is set. Defining it here, empty, keeps the
// runtime's TLS support, and with it the image's TLS directory, out of the DLL.
extern const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = nullptr;

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            attachRuntime();
            orv::attachWin32Platform();
            break;
        case DLL_THREAD_DETACH:
            detachThread();
            break;
        case DLL_PROCESS_DETACH:
            // At process exit (reserved set) other threads are gone mid-flight and may hold the
            // heap's lock: leave the memory to the system then.
            if (reserved == nullptr) detachRuntime();
            break;
        default:
            break;
    }
    return TRUE;
}

}  // extern "C"

namespace __cxxabiv1 {

extern "C" EhGlobals* __cxa_get_globals() noexcept { return globalsOfThisThread(); }

extern "C" EhGlobals* __cxa_get_globals_fast() noexcept { return globalsOfThisThread(); }

}  // namespace __cxxabiv1

namespace __gnu_cxx {

// Nothing escapes an export, so terminate means a broken runtime: there is no console to print
// the exception's name on, and printing it would cost the demangler and printf.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
