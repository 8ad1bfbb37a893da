// Reads the mail that sendwarden-check's commands look at: message files,
// mboxes, the mail client's .bmf folder files, and folders of any of them.
// Each message's header block goes to a listener as it is found, one at a
// time; bodies are read past and never kept, so memory does not grow with
// the archive. Paths hold any character the platform allows
// (tools/common/file_path.h).
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MAIL_SOURCE_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MAIL_SOURCE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

// Where a message is, or what could not be read.
struct MailLocation {
  std::string path;        // code page 932, for printing
  bool inArchive = false;  // a message in an mbox or a .bmf file
  uint64_t number = 0;     // in an archive: 1-based
  uint64_t offset = 0;     // in an archive: the byte its first line starts at
                           // (in an mbox, its "From " line)
};

// Hears of each message and each thing that could not be read, in the
// order of the paths, a folder's files in name order.
class MailListener {
 public:
  virtual ~MailListener() = default;
  // `header`: the message's header block, its lines with their line ends,
  // and the empty line that ended it (if one did).
  virtual void Message(const MailLocation& where, const std::string& header) = 0;
  // A path, file, folder or message that could not be read; `code` says
  // why (kNoSuchPath, kCannotOpen, kCannotList, kReadError,
  // kHeaderTooLong) and `detail` is the system's words, if any.
  virtual void Unreadable(const MailLocation& where, Code code, const std::string& detail) = 0;
  // `bytes_done` of `bytes_total` read. A file whose size could not be
  // read counts in neither.
  virtual void Progress(uint64_t /*bytes_done*/, uint64_t /*bytes_total*/) {}
};

struct MailReadResult {
  bool missingPath = false;  // a path given does not exist
};

// Reads every one of `paths` (command-line arguments: code page 932 on
// Windows, the terminal's bytes elsewhere). A file is read as a .bmf file
// when its name ends in ".bmf" (in any letter case), else as an mbox when
// it starts like one (MboxSplitter::LooksLikeMbox), else as one message. A
// folder is walked with every folder below it: in a folder that holds a
// .bmf file, a mail folder, its other files (indexes, folder lists) are
// passed over without a word; elsewhere every file is read. Links to
// folders are not followed. What cannot be read is reported and the
// reading goes on.
MailReadResult ReadMail(const std::vector<std::string>& paths, MailListener& listener);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MAIL_SOURCE_H_
