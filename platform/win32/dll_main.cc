// The DLL entry point: on process attach, bind the host or refuse the load.
#include <windows.h>

#include "host/lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  return sendwarden::OnProcessAttach(instance) ? TRUE : FALSE;
}
