/* A custom action that waits, at most 30 seconds, until three programs have written their records
   (recorder.c) to C:\started: RegisterLattice starts three and does not wait for them, and the end
   of the run would stop them. The bound turns a program that never starts into a missing record
   the test reports, not a hang. */
#include <windows.h>

static int records(void) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\started\\*.txt", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

__declspec(dllexport) UINT WINAPI WaitForStartedPrograms(ULONG session) {
    (void)session;
    for (int tenth = 0; tenth < 300 && records() < 3; ++tenth) Sleep(100);
    return ERROR_SUCCESS;
}
