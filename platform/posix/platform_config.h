// Linux: the substitute host uses the platform's own calling convention.
#ifndef SENDWARDEN_PLATFORM_POSIX_PLATFORM_CONFIG_H_
#define SENDWARDEN_PLATFORM_POSIX_PLATFORM_CONFIG_H_

#define SENDWARDEN_WINAPI
#define SENDWARDEN_EXPORT __attribute__((visibility("default")))

// Substitute hosts export their BKA_ functions from the executable itself
// (linked with --export-dynamic).
#define SENDWARDEN_HOST_EXPORT __attribute__((visibility("default")))

#endif  // SENDWARDEN_PLATFORM_POSIX_PLATFORM_CONFIG_H_
