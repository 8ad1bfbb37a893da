// Windows: patterns use Boost.Regex's Win32 traits, so character classes
// follow the system code page. Boost leaves these traits out under gcc unless
// they are included first; the build defines BOOST_REGEX_USE_WIN32_LOCALE so
// that boost::regex is built on them.
#ifndef SENDWARDEN_PLATFORM_WIN32_PLATFORM_REGEX_H_
#define SENDWARDEN_PLATFORM_WIN32_PLATFORM_REGEX_H_

#include <boost/regex/v5/w32_regex_traits.hpp>
#include <boost/regex.hpp>

static_assert(std::is_same<boost::regex::traits_type,
                           boost::regex_traits<char, boost::w32_regex_traits<char>>>::value,
              "patterns must use the Win32 traits");

#endif  // SENDWARDEN_PLATFORM_WIN32_PLATFORM_REGEX_H_
