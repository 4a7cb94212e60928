// Where a Windows program of zux starts. Windows hands a program its
// arguments in UTF-16; the game's main takes them in UTF-8, so a --home or
// --replay path in any script works. The game's main is compiled as ZuxMain
// (main=ZuxMain) and this wmain calls it.
//
// zux.exe is a GUI program, so Windows gives it no console. Started from one
// (cmd, PowerShell) it still answers --help and --version there, and says why
// it stops: output with nowhere to go goes to the console of the program that
// started it. Output sent to a file or a pipe stays there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int ZuxMain(int argc, char **argv);

static bool HasHandle(DWORD which)
{
    HANDLE h = GetStdHandle(which);
    return h && h != INVALID_HANDLE_VALUE;
}

static void AttachParentConsole(void)
{
    bool out = HasHandle(STD_OUTPUT_HANDLE), err = HasHandle(STD_ERROR_HANDLE);
    if (out && err) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return; // a double-click: no console at all
    if (!out) freopen("CONOUT$", "w", stdout);
    if (!err) freopen("CONOUT$", "w", stderr);
}

int wmain(int argc, wchar_t **wargv)
{
    AttachParentConsole();
    char **argv = (char **)calloc((size_t)argc + 1, sizeof(char *));
    if (!argv) return 1;
    for (int i = 0; i < argc; i++) {
        int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
        argv[i] = (char *)malloc(n > 0 ? (size_t)n : 1);
        if (!argv[i]) return 1;
        argv[i][0] = 0;
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, argv[i], n, nullptr, nullptr);
    }
    // The strings live as long as the program, as main's do.
    return ZuxMain(argc, argv);
}
