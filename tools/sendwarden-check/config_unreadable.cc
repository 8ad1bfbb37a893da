#include "tools/sendwarden-check/config_unreadable.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/ascii.h"
#include "tools/common/file_path.h"

namespace sendwarden_checker {

namespace fs = std::filesystem;

namespace {

std::string Folded(const fs::path& name) {
  std::string text = sendwarden_tools::PathForPrinting(name);
  sendwarden::ToLowerAscii(text);
  return text;
}

std::string Reason(const fs::path& path, Language l) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return Say(l, Msg::kNoSuchPath);
  if (status.type() == fs::file_type::directory) return Say(l, Msg::kConfigIsAFolder);
  if (std::FILE* file = sendwarden_tools::OpenForReading(path)) {
    std::fclose(file);
    // It opens now: it was being written, or it changed while it was read.
    return Say(l, Msg::kConfigKeptChanging);
  }
  return Say(l, Msg::kCannotOpen, {std::strerror(errno)});
}

}  // namespace

std::string ConfigUnreadableText(const std::string& argument, Language l) {
  fs::path path = sendwarden_tools::PathFromArgument(argument);
  std::error_code error;
  fs::path full = fs::absolute(path, error);
  if (error) full = path;
  std::string text = Say(l, Msg::kCannotReadConfig,
                         {sendwarden_tools::PathForPrinting(full), Reason(full, l)}) + "\n";
  // A file whose name starts with this one's and goes on: the ".txt" an
  // editor added, or a second ".conf".
  std::string wanted = Folded(full.filename());
  std::set<std::string> longer;
  for (fs::directory_iterator it(full.parent_path(), error), end; !error && it != end;
       it.increment(error)) {
    std::string name = Folded(it->path().filename());
    if (name.size() > wanted.size() && name.compare(0, wanted.size(), wanted) == 0) {
      longer.insert(sendwarden_tools::PathForPrinting(it->path().filename()));
    }
  }
  for (const std::string& name : longer) {
    text += Say(l, Msg::kConfigNamedLonger,
                {name, sendwarden_tools::PathForPrinting(full.filename())}) + "\n";
  }
  return text;
}

}  // namespace sendwarden_checker
