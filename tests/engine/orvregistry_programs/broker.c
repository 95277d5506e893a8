/* A stand-in for the object broker's registration library. It writes every call, with the path
   handed in, to broker-calls.txt beside itself, and answers the existence tests with the number in
   broker-answer.txt beside it (0 without one). Its load and release are written too, so that a
   test sees the library let go on the way out. The entry points are WINAPI (stdcall), as Windows
   DLL exports are; x64 has one convention, but the declaration keeps the x86 build honest. */
#include <windows.h>

static char folder[MAX_PATH];

static void beside(const char* name, char* path) {
    lstrcpyA(path, folder);
    lstrcatA(path, name);
}

static void record(const char* call, const char* argument) {
    char path[MAX_PATH + 32];
    beside("broker-calls.txt", path);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, call, lstrlenA(call), &written, NULL);
    if (argument != NULL) {
        WriteFile(file, " ", 1, &written, NULL);
        WriteFile(file, argument, lstrlenA(argument), &written, NULL);
    }
    WriteFile(file, "\n", 1, &written, NULL);
    CloseHandle(file);
}

static int answer(void) {
    char path[MAX_PATH + 32];
    beside("broker-answer.txt", path);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[16] = {0};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, NULL);
    CloseHandle(file);
    int value = 0;
    for (const char* digit = text; *digit >= '0' && *digit <= '9'; ++digit) value = value * 10 + (*digit - '0');
    return value;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        DWORD length = GetModuleFileNameA(instance, folder, MAX_PATH);
        while (length > 0 && folder[length - 1] != '\\') --length;
        folder[length] = '\0';
        record("loaded", NULL);
    } else if (reason == DLL_PROCESS_DETACH) {
        record("released", NULL);
    }
    return TRUE;
}

__declspec(dllexport) int WINAPI AgentServiceExists(void) {
    record("AgentServiceExists", NULL);
    return answer();
}

__declspec(dllexport) void WINAPI InstallAgentService(const char* program) { record("InstallAgentService", program); }

__declspec(dllexport) int WINAPI ACTDServiceExists(void) {
    record("ACTDServiceExists", NULL);
    return answer();
}

__declspec(dllexport) void WINAPI InstallACTDService(const char* program) { record("InstallACTDService", program); }
