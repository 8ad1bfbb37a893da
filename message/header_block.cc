#include "message/header_block.h"

#include "base/ascii.h"
#include "base/pattern.h"

namespace sendwarden {

namespace {

// Compiled on first use and kept for the life of the module; callbacks never
// overlap, so no lock is needed.
const Pattern& HeaderLinePattern() {
  static const Pattern* pattern = new Pattern("^(\\S+):[ \\t]+(.*)");
  return *pattern;
}

const Pattern& ContinuationLinePattern() {
  static const Pattern* pattern = new Pattern("^[ \\t].*");
  return *pattern;
}

// The fields whose values are lists of recipients.
bool IsAddressField(const std::string& key) { return key == "TO" || key == "CC" || key == "BCC"; }

}  // namespace

void ParseHeaderBlock(const char* message, HeaderMap& headers) {
  const Pattern& header_line = HeaderLinePattern();
  const Pattern& continuation_line = ContinuationLinePattern();
  boost::cmatch groups;  // reused for every line
  std::string current_field;

  // The text is walked line by line without measuring it first: the body
  // after the header block is never touched.
  const char* cursor = message;
  while (*cursor != '\0') {
    const char* line = cursor;
    const char* line_end = line;
    while (*line_end != '\0' && *line_end != '\n') ++line_end;
    cursor = *line_end == '\n' ? line_end + 1 : line_end;

    if (line_end == line) break;
    if (line_end[-1] == '\r') --line_end;
    if (line_end == line) break;

    if (boost::regex_match(line, line_end, continuation_line)) {
      auto entry = headers.find(current_field);
      if (entry != headers.end()) entry->second.append(line, line_end);
      continue;
    }
    if (boost::regex_match(line, line_end, groups, header_line)) {
      if (groups[1].length() == 0 || groups[2].length() == 0) continue;
      current_field = groups[1].str();
      ToUpperAscii(current_field);
      std::string& value = headers[current_field];
      // A repeated address field is one more list: a comma keeps the last
      // address of one line and the first of the next from merging into a
      // single string that is neither.
      if (!value.empty() && IsAddressField(current_field)) value += ',';
      value.append(groups[2].first, groups[2].second);
    }
  }
}

}  // namespace sendwarden
