// Loads each custom-action DLL named on the command line many times, as the installer does (one
// load per call), and shows that a load leaves nothing behind: private bytes, working set, free
// thread-local slots and handles are measured before and after, and any growth beyond a small
// margin fails the run.
//
//   LoadHost <loads> <dll>...
//
// Every load calls every export with the first memory allocation inside the DLL failing: each
// call raises std::bad_alloc inside the DLL, where the export's guard catches it. Raising is what
// used to cost a thread-local slot per load. The calls run on the thread that loads the DLL, and
// one export more, in turn, on a thread of its own that ends while the DLL is still loaded, as the
// installer's calls may. The allocation is made to fail by pointing the DLL's import of malloc at
// a wrapper, after it is loaded.
//
// The session handle names nothing. A call that ran on would write its log lines, and Wine's
// MsiProcessMessage keeps the record it is given with a handle that names no session (about
// 240 bytes a call): a leak of Wine's on a path no installation takes, which would hide the
// DLL's own figures. The failing allocation comes first, before any installer call.
//
// Exit status: 0 when nothing grew, 1 when something grew or a DLL could not be exercised,
// 2 on a usage error.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A handle value the installer never hands out: an installer call on it could only fail.
constexpr unsigned long kNoSession = 0x7fff0000;

// Loads before the first measurement, so that what the system allocates once per process (loader
// and heap bookkeeping) is not counted as growth.
constexpr int kWarmUpLoads = 10;

using Action = UINT(WINAPI*)(unsigned long);
using Malloc = void*(__cdecl*)(std::size_t);

// The wrapper the DLL's malloc import is pointed at: when armed, the next allocation fails.
Malloc realMalloc = nullptr;
bool failNextAllocation = false;
long failedAllocations = 0;

void* __cdecl failingMalloc(std::size_t size) {
    if (failNextAllocation) {
        failNextAllocation = false;
        ++failedAllocations;
        return nullptr;
    }
    return realMalloc(size);
}

class Library {
public:
    explicit Library(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
    ~Library() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HMODULE module() const { return module_; }

private:
    HMODULE module_;
};

template <typename T>
const T* at(HMODULE module, DWORD offset) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + offset);
}

const IMAGE_DATA_DIRECTORY& directory(HMODULE module, int entry) {
    const auto* dos = at<IMAGE_DOS_HEADER>(module, 0);
    const auto* nt = at<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    return nt->OptionalHeader.DataDirectory[entry];
}

std::vector<std::string> exportNames(HMODULE module) {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY& entry = directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (entry.Size == 0) return names;
    const auto* table = at<IMAGE_EXPORT_DIRECTORY>(module, entry.VirtualAddress);
    const auto* nameOffsets = at<DWORD>(module, table->AddressOfNames);
    for (DWORD i = 0; i < table->NumberOfNames; ++i) names.emplace_back(at<char>(module, nameOffsets[i]));
    return names;
}

// The import address slot through which `module` calls `function` of `dll`; nullptr if it
// imports no such function.
void** importSlot(HMODULE module, const char* dll, const char* function) {
    const IMAGE_DATA_DIRECTORY& entry = directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (entry.Size == 0) return nullptr;
    for (const auto* imports = at<IMAGE_IMPORT_DESCRIPTOR>(module, entry.VirtualAddress); imports->Name != 0;
         ++imports) {
        if (lstrcmpiA(at<char>(module, imports->Name), dll) != 0) continue;
        const auto* names = at<IMAGE_THUNK_DATA>(module, imports->OriginalFirstThunk);
        auto* slots = const_cast<IMAGE_THUNK_DATA*>(at<IMAGE_THUNK_DATA>(module, imports->FirstThunk));
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool redirectMalloc(HMODULE module) {
    void** slot = importSlot(module, "msvcrt.dll", "malloc");
    if (slot == nullptr) return false;
    DWORD was = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) return false;
    realMalloc = reinterpret_cast<Malloc>(*slot);
    *slot = reinterpret_cast<void*>(&failingMalloc);
    VirtualProtect(slot, sizeof *slot, was, &was);
    return true;
}

struct Figures {
    long long privateBytes = 0;
    long long workingSet = 0;
    long long freeTlsSlots = 0;
    long long handles = 0;
};

// Committed private memory, summed over the address space. Wine leaves PrivateUsage of
// GetProcessMemoryInfo at 0, and on Windows the two agree.
long long privateBytes() {
    long long total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    return total;
}

// Open handles. Wine answers GetProcessHandleCount with 0, so where it does the handle values
// are tried one by one; a long run of invalid values ends the search.
long long openHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    long long open = 0;
    int invalidInARow = 0;
    for (std::uintptr_t value = 4; invalidInARow < 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            invalidInARow = 0;
        } else {
            ++invalidInARow;
        }
    }
    return open;
}

// Takes every slot there is, counts them and gives them back.
long long countFreeTlsSlots() {
    std::vector<DWORD> taken;
    taken.reserve(2048);
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
    for (DWORD slot : taken) TlsFree(slot);
    return static_cast<long long>(taken.size());
}

Figures measure() {
    Figures figures;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        figures.workingSet = static_cast<long long>(memory.WorkingSetSize);
    figures.privateBytes = memory.PrivateUsage != 0 ? static_cast<long long>(memory.PrivateUsage) : privateBytes();
    figures.freeTlsSlots = countFreeTlsSlots();
    figures.handles = openHandles();
    return figures;
}

struct Outcome {
    bool loaded = false;
    DWORD error = 0;  // why it did not load
    std::size_t exports = 0;
    long raised = 0;  // calls in which the allocation failure really happened inside the DLL
};

// Calls the action with the DLL's next allocation failing; true when that failure happened.
bool callFailingFirstAllocation(Action action) {
    const long failedBefore = failedAllocations;
    failNextAllocation = true;
    action(kNoSession);
    failNextAllocation = false;
    return failedAllocations != failedBefore;
}

DWORD WINAPI callOnThisThread(void* action) {
    return callFailingFirstAllocation(reinterpret_cast<Action>(action)) ? 1 : 0;
}

class Thread {
public:
    Thread(LPTHREAD_START_ROUTINE start, void* argument)
        : handle_(CreateThread(nullptr, 0, start, argument, 0, nullptr)) {}
    ~Thread() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The thread's exit code once it has ended; 0 if it could not be started.
    DWORD join() {
        DWORD code = 0;
        if (handle_ != nullptr && WaitForSingleObject(handle_, INFINITE) == WAIT_OBJECT_0)
            GetExitCodeThread(handle_, &code);
        return code;
    }

private:
    HANDLE handle_;
};

// One load as the installer makes it: every export called on this thread, and the one at
// `turn` (modulo their count) on another.
Outcome loadAndCall(const std::string& path, int turn) {
    Outcome outcome;
    Library library(path);
    if (library.module() == nullptr) {
        outcome.error = GetLastError();
        return outcome;
    }
    if (!redirectMalloc(library.module())) return outcome;
    outcome.loaded = true;
    const std::vector<std::string> names = exportNames(library.module());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        // Through the generic function type: FARPROC's own signature has nothing to do with the export's.
        const auto action = reinterpret_cast<Action>(
            reinterpret_cast<void (*)()>(GetProcAddress(library.module(), name.c_str())));
        if (action == nullptr) continue;
        ++outcome.exports;
        if (callFailingFirstAllocation(action)) ++outcome.raised;
        if (i != static_cast<std::size_t>(turn) % names.size()) continue;
        Thread other(callOnThisThread, reinterpret_cast<void*>(action));
        if (other.join() == 1) ++outcome.raised;
    }
    return outcome;
}

struct Limit {
    const char* what;
    long long Figures::*figure;
    long long allowedGrowth;
    bool fewerIsGrowth;  // a free-slot count grows the use when it shrinks
};

// Margins for what a process moves on its own between two measurements. They are absolute: over
// 1,000 loads, 128 KB of private bytes is 128 bytes a load. The leaks these DLLs used to have,
// about 75 KB of memory, a thread-local slot and two handles per load, are far beyond them.
const Limit kLimits[] = {
    {"private bytes", &Figures::privateBytes, 128 * 1024, false},
    {"working set", &Figures::workingSet, 512 * 1024, false},
    {"TLS slots in use", &Figures::freeTlsSlots, 0, true},
    {"handles", &Figures::handles, 4, false},
};

bool exercise(const std::string& path, int loads) {
    for (int i = 0; i < kWarmUpLoads; ++i) loadAndCall(path, i);
    const Figures before = measure();
    Outcome total;
    for (int i = 0; i < loads; ++i) {
        const Outcome outcome = loadAndCall(path, i);
        if (!outcome.loaded) {
            if (outcome.error != 0)
                std::printf("%s: load %d failed with error %lu\n", path.c_str(), i + 1, outcome.error);
            else
                std::printf("%s: imports no malloc from msvcrt.dll, so nothing can be made to fail\n", path.c_str());
            return false;
        }
        total.exports = outcome.exports;
        total.raised += outcome.raised;
    }
    const Figures after = measure();

    bool passed = true;
    std::printf("%s: %d loads, %zu exports, %ld calls raised inside the DLL\n", path.c_str(), loads, total.exports,
                total.raised);
    std::printf("  %-18s %12s %12s %10s %10s\n", "", "before", "after", "growth", "allowed");
    for (const Limit& limit : kLimits) {
        const long long was = before.*limit.figure;
        const long long is = after.*limit.figure;
        const long long growth = limit.fewerIsGrowth ? was - is : is - was;
        // Slots are counted free; the line shows them in use, relative to the first count.
        const long long shownBefore = limit.fewerIsGrowth ? 0 : was;
        const long long shownAfter = limit.fewerIsGrowth ? growth : is;
        const bool ok = growth <= limit.allowedGrowth;
        passed = passed && ok;
        std::printf("  %-18s %12lld %12lld %+10lld %10lld%s\n", limit.what, shownBefore, shownAfter, growth,
                    limit.allowedGrowth, ok ? "" : "   GREW");
    }
    std::printf("  (free TLS slots before %lld, after %lld)\n", before.freeTlsSlots, after.freeTlsSlots);
    if (total.exports == 0 || total.raised != static_cast<long>(total.exports + 1) * loads) {
        std::printf("  not every call raised: an export that allocates nothing proves nothing\n");
        passed = false;
    }
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <loads> <dll>...\n", argv[0]);
        return 2;
    }
    const int loads = std::atoi(argv[1]);
    if (loads <= 0) {
        std::fprintf(stderr, "loads must be a positive number\n");
        return 2;
    }
    // No box may wait for an answer: a failed load is reported, not shown.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The installer's process has the system DLLs loaded for its whole life. Keeping them here
    // too means each load measures the custom-action DLL, not the system DLLs' own start-up and
    // shutdown, which an unload of the last user would otherwise bring each time.
    for (const char* system : {"msi.dll", "user32.dll", "advapi32.dll", "shell32.dll", "version.dll", "msvcrt.dll"})
        LoadLibraryA(system);
    bool passed = true;
    for (int i = 2; i < argc; ++i) passed = exercise(argv[i], loads) && passed;
    std::printf("%s\n", passed ? "nothing grew" : "FAILED");
    return passed ? 0 : 1;
}
