// The texts sendwarden-check prints, in Japanese (code page 932 bytes) and
// English.
#ifndef SENDWARDEN_TOOLS_CHECK_MESSAGES_H_
#define SENDWARDEN_TOOLS_CHECK_MESSAGES_H_

namespace sendwarden_check {

struct Messages {
  const char* usage;
  const char* cannot_read;        // + path
  const char* line;               // "line"
  const char* error;              // marks a line without effect
  const char* warning;
  const char* no_separator;
  const char* empty_key_or_value;
  const char* unknown_key;        // + key
  const char* bad_pattern;        // + engine message
  const char* out_of_memory;
  const char* hint_bom;
  const char* hint_second_cr;
  const char* hint_leading_blank;
  const char* hint_trailing_blank;
  const char* hint_empty_brackets;
  const char* section_without_rules;
  const char* section_bad_name;   // + engine message
  const char* lines_taken_down;   // + line numbers
  const char* taken_down_by_section;  // + header line
  const char* pattern_ends_in_cr;
  const char* not_anchored;
  const char* unescaped_dot;
  const char* duplicate_section;  // + first line
  const char* no_rules;
  const char* summary;            // "%zu lines without effect, %zu warnings"
  const char* verdict_send;
  const char* verdict_refuse;
  const char* allowed_by_default; // "default rule"
  const char* allowed_by_section; // "section"
  const char* not_allowed;
  const char* sections_applying;
  const char* no_section_applies;
  const char* notice;
  const char* no_decoding;
  const char* sender;
};

const Messages& JapaneseMessages();
const Messages& EnglishMessages();

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CHECK_MESSAGES_H_
