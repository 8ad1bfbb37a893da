#include "tools/sendwarden-check/mail_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>

#include "tools/sendwarden-check/mbox_splitter.h"
#include "tools/common/file_path.h"

namespace sendwarden_checker {

namespace {

namespace fs = std::filesystem;
using sendwarden_tools::PathForPrinting;

constexpr size_t kMaxHeader = 16u << 20;
constexpr size_t kChunk = 1u << 20;

struct Target {
  // The native string, not a path: a path also keeps each of its parts,
  // and a folder of a hundred thousand files is a hundred thousand targets.
  fs::path::string_type path;
  bool sized = false;  // false: counts in no progress total
  uint64_t size = 0;
  Code problem = Code::kNone;  // set: the path cannot be read
  std::string detail;          // the system's reason
  bool bmf = false;            // a .bmf folder file
};

Target Problem(const fs::path& path, Code code, const std::string& detail) {
  Target target;
  target.path = path.native();
  target.problem = code;
  target.detail = detail;
  return target;
}

// True for a name ending in ".bmf", in any letter case.
bool IsBmf(const fs::path& path) {
  const fs::path::string_type extension = path.extension().native();
  const char kBmf[] = ".bmf";
  if (extension.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    auto c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
    if (c != static_cast<decltype(c)>(kBmf[i])) return false;
  }
  return true;
}

// Every file under `folder` that holds mail, and every entry that could not
// be read, into `found`. A folder that cannot be opened or listed is
// reported and the walk goes on with its siblings. Links to folders are not
// followed.
void Walk(const fs::path& folder, std::vector<Target>& found) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    found.push_back(Problem(folder, Code::kCannotOpen, error.message()));
    return;
  }
  std::vector<fs::path> folders;
  const size_t first = found.size();
  bool mail_folder = false;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::error_code entry_error;
    if (it->symlink_status(entry_error).type() == fs::file_type::directory) {
      folders.push_back(it->path());
      continue;
    }
    if (!it->is_regular_file(entry_error)) {
      if (entry_error && entry_error != std::errc::no_such_file_or_directory) {
        found.push_back(Problem(it->path(), Code::kCannotOpen, entry_error.message()));
      }
      continue;
    }
    Target file;
    file.path = it->path().native();
    file.bmf = IsBmf(it->path());
    file.size = it->file_size(entry_error);
    file.sized = !entry_error;
    if (entry_error) file.size = 0;
    mail_folder = mail_folder || file.bmf;
    found.push_back(std::move(file));
  }
  // The mail client keeps its indexes and folder lists beside its .bmf
  // files; they hold no mail.
  if (mail_folder) {
    found.erase(std::remove_if(found.begin() + static_cast<std::ptrdiff_t>(first), found.end(),
                               [](const Target& target) {
                                 return target.problem == Code::kNone && !target.bmf;
                               }),
                found.end());
  }
  if (error) found.push_back(Problem(folder, Code::kCannotList, error.message()));
  for (const fs::path& inner : folders) Walk(inner, found);
}

// Every file the paths name, folders walked in name order.
std::vector<Target> Collect(const std::vector<std::string>& paths) {
  std::vector<Target> targets;
  for (const std::string& argument : paths) {
    fs::path path = sendwarden_tools::PathFromArgument(argument);
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
      targets.push_back(Problem(path, Code::kCannotOpen, error.message()));
    } else if (!fs::exists(status)) {
      targets.push_back(Problem(path, Code::kNoSuchPath, ""));
    } else if (fs::is_directory(status)) {
      std::vector<Target> found;
      Walk(path, found);
      std::sort(found.begin(), found.end(),
                [](const Target& a, const Target& b) { return a.path < b.path; });
      std::move(found.begin(), found.end(), std::back_inserter(targets));
    } else {
      Target file;
      file.path = path.native();
      file.bmf = IsBmf(path);
      file.size = fs::file_size(path, error);
      file.sized = !error;
      if (error) file.size = 0;
      targets.push_back(std::move(file));
    }
  }
  return targets;
}

class Reader {
 public:
  explicit Reader(MailListener& listener) : listener_(listener) {}

  MailReadResult Run(const std::vector<std::string>& paths) {
    MailReadResult result;
    std::vector<Target> targets = Collect(paths);
    for (const Target& target : targets) {
      if (target.sized) total_ += target.size;
    }
    for (const Target& target : targets) {
      if (target.problem != Code::kNone) {
        result.missingPath = result.missingPath || target.problem == Code::kNoSuchPath;
        MailLocation where;
        where.path = PathForPrinting(fs::path(target.path));
        listener_.Unreadable(where, target.problem, target.detail);
      } else {
        File(target);
      }
      if (target.sized) doneBase_ += target.size;
      listener_.Progress(doneBase_, total_);
    }
    return result;
  }

 private:
  void File(const Target& target) {
    const fs::path path(target.path);
    MailLocation where;
    where.path = PathForPrinting(path);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        sendwarden_tools::OpenForReading(path), &std::fclose);
    if (file == nullptr) {
      listener_.Unreadable(where, Code::kCannotOpen, std::strerror(errno));
      return;
    }
    std::vector<char> buffer(kChunk);
    size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    Framing framing = target.bmf ? Framing::kBmf
                      : MboxSplitter::LooksLikeMbox(std::string_view(buffer.data(), got))
                          ? Framing::kMbox
                          : Framing::kMessage;
    MailLocation at = where;
    at.inArchive = framing != Framing::kMessage;
    MboxSplitter splitter(framing, kMaxHeader, [&](SplitMessage&& message) {
      at.number = message.number;
      at.offset = message.offset;
      if (message.headerTooLong) {
        listener_.Unreadable(at, Code::kHeaderTooLong, "");
      } else {
        listener_.Message(at, message.header);
      }
    });
    uint64_t read = 0;
    while (got > 0) {
      splitter.Feed(buffer.data(), got);
      // A file that grew since it was sized counts no further than its size.
      read = std::min<uint64_t>(read + got, target.size);
      if (target.sized) listener_.Progress(doneBase_ + read, total_);
      // A single message needs no more than its header block.
      if (framing == Framing::kMessage && splitter.HeaderDone()) break;
      got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    }
    bool failed = std::ferror(file.get()) != 0;
    splitter.Finish();
    if (failed) listener_.Unreadable(where, Code::kReadError, "");
  }

  MailListener& listener_;
  uint64_t total_ = 0;
  uint64_t doneBase_ = 0;
};

}  // namespace

MailReadResult ReadMail(const std::vector<std::string>& paths, MailListener& listener) {
  return Reader(listener).Run(paths);
}

}  // namespace sendwarden_checker
