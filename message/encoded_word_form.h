// Whether the encoded words of a header text stand in the one form that
// every decoder reads alike. Mail programs differ on the rest: one decodes
// "=?I SO-2022-JP?B?...?=" (a blank in the charset) and another leaves it,
// one finds a word inside "=?=?us-ascii?q?a?=" and another none, one
// decodes a charset it does not know by a guess and another leaves the word
// as it stands. What the mail client makes of those is not known, so the
// recipient extraction refuses them all (and the tools with it).
#ifndef SENDWARDEN_MESSAGE_ENCODED_WORD_FORM_H_
#define SENDWARDEN_MESSAGE_ENCODED_WORD_FORM_H_

#include <cstddef>
#include <string_view>

namespace sendwarden {

// The first "=?" of `raw` that does not begin an encoded word
// "=?charset?B?text?=" (or Q, in either case): a charset of one or more
// token bytes (printable ASCII, no blank and none of ()<>@,;:"/[]?.=), an
// optional "*language", and a text of printable ASCII without blanks or "?"
// that decodes to no NUL byte (the mail client's decoded text would end
// there), standing on its own: a blank, a line end, a bracket, a
// parenthesis or a quote (or the text's end) on either side. npos when every
// "=?" begins one.
size_t FindUnclearEncodedWord(std::string_view raw);

// True when a decoded text still holds "=?": a word its decoder did not
// decode (an unknown charset), which another decoder may have read.
inline bool HoldsUndecodedWord(std::string_view decoded) {
  return decoded.find("=?") != std::string_view::npos;
}

}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_ENCODED_WORD_FORM_H_
