/* A program that does nothing, in several copies that differ only in their
 * resources (product name, maker, icon): the sample start-up entries that
 * the run command puts into its Wine prefix. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    return 0;
}
