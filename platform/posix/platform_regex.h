// Linux: patterns use Boost.Regex's default (C++ locale) traits.
#ifndef SENDWARDEN_PLATFORM_POSIX_PLATFORM_REGEX_H_
#define SENDWARDEN_PLATFORM_POSIX_PLATFORM_REGEX_H_

#include <boost/regex.hpp>

#endif  // SENDWARDEN_PLATFORM_POSIX_PLATFORM_REGEX_H_
