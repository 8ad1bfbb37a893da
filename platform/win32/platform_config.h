// Windows: the host's calling convention and how callbacks are exported.
#ifndef SENDWARDEN_PLATFORM_WIN32_PLATFORM_CONFIG_H_
#define SENDWARDEN_PLATFORM_WIN32_PLATFORM_CONFIG_H_

#define SENDWARDEN_WINAPI __stdcall
// Exports are named by the .def file, which strips the @N decoration.
#define SENDWARDEN_EXPORT

// Substitute hosts export their BKA_ functions from the executable itself.
#define SENDWARDEN_HOST_EXPORT __declspec(dllexport)

#endif  // SENDWARDEN_PLATFORM_WIN32_PLATFORM_CONFIG_H_
