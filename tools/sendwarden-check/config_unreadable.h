// What the tools say when a configuration cannot be read, so that the
// administrator knows what to do: the full path, why, and a file beside it
// whose name an editor lengthened (Notepad saves "Sendwarden.conf.txt", and
// Explorer hides the ".txt"), which is by far the most common cause.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_UNREADABLE_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_UNREADABLE_H_

#include <string>

#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

// Code page 932 lines, each ended by "\n", about the configuration that
// `argument` (as given on the command line) names and that could not be
// read. Looks at the file system again to say why.
std::string ConfigUnreadableText(const std::string& argument, Language language);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_UNREADABLE_H_
