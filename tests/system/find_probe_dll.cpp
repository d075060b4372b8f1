// A library that does nothing: copied under a unique name, it is the module a search has to find in a child.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
