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

// The fields of addresses: the lists of recipients of a message and of a
// message sent on again (a redirect), and the sender, who chooses sections.
bool IsAddressField(const std::string& key) {
  return key == "TO" || key == "CC" || key == "BCC" || key == "RESENT-TO" || key == "RESENT-CC" ||
         key == "RESENT-BCC" || key == "FROM";
}


// A first line of an address field in any of the forms mail programs write and
// the generic header line does not take: no blank after the colon, blanks
// before it, or nothing after it (the value then starts on a continuation
// line). Sets `key` and where the value starts (blanks and tabs skipped).
bool ReadAddressFieldLine(const char* line, const char* line_end, std::string* key,
                          const char** value) {
  const char* name_end = line;
  while (name_end != line_end && *name_end != ':' && !IsBlank(*name_end)) ++name_end;
  std::string name(line, name_end);
  ToUpperAscii(name);
  if (!IsAddressField(name)) return false;
  const char* colon = name_end;
  while (colon != line_end && IsBlank(*colon)) ++colon;
  if (colon == line_end || *colon != ':') return false;
  const char* start = colon + 1;
  while (start != line_end && IsBlank(*start)) ++start;
  *key = name;
  *value = start;
  return true;
}

}  // namespace

bool ParseHeaderBlock(const char* message, HeaderMap& headers, FoldedFields* folded) {
  const Pattern& header_line = HeaderLinePattern();
  const Pattern& continuation_line = ContinuationLinePattern();
  boost::cmatch groups;  // reused for every line
  std::string current_field;
  bool in_field = false;  // continuation lines belong to current_field
  std::string* folded_line = nullptr;  // the address field line being read, as it stands

  // The text is walked line by line without measuring it first: the body
  // after the header block is never touched.
  const char* cursor = message;
  while (*cursor != '\0') {
    const char* line = cursor;
    const char* line_end = line;
    while (*line_end != '\0' && *line_end != '\n') ++line_end;
    cursor = *line_end == '\n' ? line_end + 1 : line_end;

    if (line_end == line) return true;
    if (line_end[-1] == '\r') --line_end;
    if (line_end == line) return true;

    if (boost::regex_match(line, line_end, continuation_line)) {
      auto entry = in_field ? headers.find(current_field) : headers.end();
      if (entry != headers.end()) entry->second.append(line, line_end);
      if (entry != headers.end() && folded_line != nullptr) {
        *folded_line += '\n';
        folded_line->append(line, line_end);
      }
      continue;
    }
    folded_line = nullptr;
    // Every line of an address field is read, so that no recipient escapes
    // the check because of how its field was written.
    const char* value_start;
    if (ReadAddressFieldLine(line, line_end, &current_field, &value_start)) {
      in_field = true;
      auto inserted = headers.emplace(current_field, std::string());
      std::string& value = inserted.first->second;
      // A repeated address field is one more list, read on its own: a line
      // feed, which no line holds, keeps a quote or comment opened on one
      // line from running on into the next, and lets a second From show.
      if (!inserted.second) value += '\n';
      value.append(value_start, line_end);
      if (folded != nullptr) {
        std::vector<std::string>& lines = (*folded)[current_field];
        lines.emplace_back(value_start, line_end);
        folded_line = &lines.back();
      }
      continue;
    }
    // A line of no known shape is dropped, and so are the continuation
    // lines after it: they belong to it (a field whose value starts on the
    // next line, say), not to the field before it, which may be To.
    in_field = false;
    if (boost::regex_match(line, line_end, groups, header_line)) {
      if (groups[1].length() == 0 || groups[2].length() == 0) continue;
      current_field = groups[1].str();
      ToUpperAscii(current_field);
      in_field = true;
      headers[current_field].append(groups[2].first, groups[2].second);
    }
  }
  return false;
}

bool HasBareCarriageReturn(const char* message, std::string* line) {
  // The lines as ParseHeaderBlock walks them, up to the empty line.
  const char* cursor = message;
  while (*cursor != '\0') {
    const char* start = cursor;
    const char* end = start;
    while (*end != '\0' && *end != '\n') ++end;
    cursor = *end == '\n' ? end + 1 : end;
    if (end != start && end[-1] == '\r') --end;
    if (end == start) return false;
    for (const char* p = start; p != end; ++p) {
      if (*p == '\r') {
        line->assign(start, end);
        return true;
      }
    }
  }
  return false;
}

}  // namespace sendwarden
