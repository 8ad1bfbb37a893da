// Reads a configuration file that the user may be saving at this very
// moment. Editors save in one write or in several, a few milliseconds apart;
// a load that caught the first half would keep a pattern cut short, and a
// pattern cut short usually allows more than the whole one.
#ifndef SENDWARDEN_CONFIG_SETTLED_READ_H_
#define SENDWARDEN_CONFIG_SETTLED_READ_H_

#include <string>

#include "platform/platform.h"

namespace sendwarden {

// The pause between two reads of a file written in the last second: longer
// than the gap between the writes of one save (up to 100 ms).
constexpr unsigned kSettleMilliseconds = 110;
// The longest a send waits for a file to settle.
constexpr unsigned kMaxSettleMilliseconds = 250;
// How long a file's last line without a line feed waits before it is used
// (config_loader.cc): a save or copy that pauses half-way (400 ms was seen)
// leaves such a line cut short, while a file Notepad wrote is still by then.
constexpr unsigned kUnendedLineSettleSeconds = 2;

// True when the file was written less than `seconds` ago, or stamped in the
// future.
bool WrittenWithin(const FileStamp& stamp, unsigned seconds);

// Reads the file at `path` into `bytes` and its stamp into `stamp` when the
// file holds still: its stamp is the same before and after the read and
// matches the bytes read, and, when it was written less than a second ago
// (or has a time in the future), a second read kSettleMilliseconds later
// gives the same bytes and stamp. Reads again while it changes, for at most
// kMaxSettleMilliseconds of pauses. False, with `bytes` empty, when the file
// cannot be read or did not hold still: the caller then has no file.
bool ReadSettledFile(const std::string& path, std::string* bytes, FileStamp* stamp);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_SETTLED_READ_H_
