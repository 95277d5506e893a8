/* A stand-in for a program the installer starts: it writes its command line, its working folder
   and the show state it was started with to C:\started\<its name>-<process id>.txt, and ends.
   The file is written aside and renamed, so whoever waits for it never reads half of it. */
#include <windows.h>

static void append(char* line, const char* text) { lstrcatA(line, text); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
    (void)instance; (void)previous; (void)arguments;
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, MAX_PATH);
    const char* name = program + length;
    while (name > program && name[-1] != '\\') --name;

    char line[4096] = "command line\t";
    append(line, GetCommandLineA());
    append(line, "\nworking folder\t");
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    append(line, folder);
    append(line, "\nshow\t");
    char number[16];
    wsprintfA(number, "%d", show);
    append(line, number);
    append(line, "\n");

    char path[MAX_PATH + 64], final[MAX_PATH + 64];
    CreateDirectoryA("C:\\started", NULL);
    wsprintfA(path, "C:\\started\\%s-%lu.partial", name, GetCurrentProcessId());
    wsprintfA(final, "C:\\started\\%s-%lu.txt", name, GetCurrentProcessId());
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, NULL);
    CloseHandle(file);
    MoveFileA(path, final);
    return 0;
}
