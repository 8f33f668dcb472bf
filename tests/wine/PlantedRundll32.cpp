// Stands in for a rundll32.exe left in a driver folder: it leaves a mark there.
#include <windows.h>

int main()
{
    return CloseHandle(CreateFileA("planted-ran", GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0)) ? 0 : 1;
}
