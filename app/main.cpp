// zux: the game in a real window.
#include <cstdio>

#include "app/shell.h"
#include "platform/platform.h"

int main(void)
{
    int status = RunGame();
    if (status != 0) fprintf(stderr, "zux: cannot open a display: %s\n", Plat_LastError());
    return status;
}
