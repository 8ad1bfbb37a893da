// The extraction as it was before the address reader: the splitter's pieces
// checked by their own rules. Kept here only as the benchmark's "before".
#include "bench/splitter_extraction.h"

#include <algorithm>
#include <vector>

#include <boost/tokenizer.hpp>

#include "message/address_list.h"
#include "message/header_block.h"

namespace sendwarden {
namespace {

enum class OldFault {
  kNone,
  kEmptiedByDecoding,
  kAddressLost,
  kHiddenLineBreak,
  kNotOneAddress,
  kAddressFromDecoding,
};

// True when a double quote of `value` opens and never closes, read with the
// splitter's rules: a backslash takes the next byte, a quote toggles.
bool HasUnclosedQuote(const std::string& value) {
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\') {
      ++i;
    } else if (value[i] == '"') {
      quoted = !quoted;
    }
  }
  return quoted;
}

size_t Count(const std::string& text, char c) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

// True when every "<...>" of `piece` stands in `decoded` too.
bool AngleAddressesKept(const std::string& piece, const std::string& decoded) {
  for (size_t open = piece.find('<'); open != std::string::npos; open = piece.find('<', open + 1)) {
    size_t close = piece.find('>', open);
    if (close == std::string::npos) break;
    if (decoded.find(piece.substr(open, close - open + 1)) == std::string::npos) return false;
  }
  return true;
}

// One token of an address field as written: its bytes, and which of them
// stand inside double quotes. Cut where the address splitter cuts.
struct RawToken {
  std::string text;
  std::vector<bool> quoted;
};

std::vector<RawToken> RawTokens(const std::string& value) {
  std::vector<RawToken> tokens;
  if (value.empty()) return tokens;
  tokens.emplace_back();
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == ',' && !quoted) {
      tokens.emplace_back();
      continue;
    }
    RawToken& token = tokens.back();
    if (c == '"') {
      quoted = !quoted;
    }
    token.text += c;
    token.quoted.push_back(quoted || c == '"');
    if (c == '\\' && i + 1 < value.size()) {
      token.text += value[++i];
      token.quoted.push_back(quoted);
    }
  }
  return tokens;
}

// Why the mail client might read a piece (as written, and as decoded) as an
// address other than the text the check sees, or kNone. Other mail programs
// parse the field their own way, so a piece must be one address by any
// reading: outside quotes, no backslash; with an angle address, one "<" and
// one ">", nothing but blanks after it and no "@" or ";" before it; without
// one, a single word with at most one "@" and no quotes. Decoding changes
// display names only: it neither empties a piece nor loses or makes an angle
// address, nor (without one) makes an "@". A carriage return may end a piece
// (a line that ended in two), but not stand inside it, where a mail program
// may take it for a line end.
OldFault PieceFault(const RawToken& raw, const std::string& piece,
                           const std::string& decoded) {
  if (piece.empty()) return OldFault::kNone;
  size_t cr = piece.find('\r');
  if (cr != std::string::npos && cr + 1 != piece.size()) return OldFault::kHiddenLineBreak;
  // What stands outside quotes, as written.
  std::string outside;
  bool any_quote = false;
  for (size_t i = 0; i < raw.text.size(); ++i) {
    if (raw.quoted[i]) {
      any_quote = true;
      continue;
    }
    if (raw.text[i] == '\\') return OldFault::kNotOneAddress;
    if (raw.text[i] != '\r') outside += raw.text[i];
  }
  size_t open = outside.find('<');
  bool angle = open != std::string::npos;
  if (angle) {
    size_t close = outside.find('>', open);
    if (close == std::string::npos || Count(outside, '<') != 1 || Count(outside, '>') != 1 ||
        outside.find_first_not_of(" \t", close + 1) != std::string::npos ||
        outside.find_first_of("@;", 0) < open) {
      return OldFault::kNotOneAddress;
    }
  } else {
    std::string word = outside;
    size_t first = word.find_first_not_of(" \t");
    size_t last = word.find_last_not_of(" \t");
    word = first == std::string::npos ? "" : word.substr(first, last - first + 1);
    if (any_quote || word.find_first_of(" \t;>") != std::string::npos || Count(word, '@') > 1) {
      return OldFault::kNotOneAddress;
    }
  }
  if (decoded.empty()) return OldFault::kEmptiedByDecoding;
  if (!AngleAddressesKept(piece, decoded)) return OldFault::kAddressLost;
  if (Count(decoded, '<') > Count(piece, '<') || Count(decoded, '>') > Count(piece, '>') ||
      (!angle && Count(decoded, '@') > Count(piece, '@'))) {
    return OldFault::kAddressFromDecoding;
  }
  return OldFault::kNone;
}

// A field's value with its Resent- counterpart's: a message sent on again
// goes to those recipients as well.
std::string FieldValue(const HeaderMap& headers, Field field) {
  std::string value;
  for (std::string key : {std::string(FieldKey(field)), "RESENT-" + std::string(FieldKey(field))}) {
    auto found = headers.find(key);
    if (found == headers.end() || found->second.empty()) continue;
    if (!value.empty()) value += ',';
    value += found->second;
  }
  return value;
}

}  // namespace

bool SplitterExtraction(const char* message, HeaderDecoder& decoder, Recipients* recipients) {
  HeaderMap headers;
  ParseHeaderBlock(message, headers);
  AddressPieces pieces;
  std::string decoded;
  for (Field field : kAddressFields) {
    const std::string field_value = FieldValue(headers, field);
    try {
      SplitAddressList(field_value, pieces);
    } catch (const boost::escaped_list_error&) {
      return false;
    }
    if (HasUnclosedQuote(field_value)) return false;
    std::vector<RawToken> raw = RawTokens(field_value);
    if (raw.size() != pieces.size()) return false;
    std::string& lines = recipients->Lines(field);
    for (size_t i = 0; i < pieces.size(); ++i) {
      if (!decoder.DecodeAddress(pieces[i], &decoded)) return false;
      if (PieceFault(raw[i], pieces[i], decoded) != OldFault::kNone) return false;
      lines += decoded;
      lines += '\n';
    }
  }
  auto from = headers.find("FROM");
  return decoder.DecodeSender(from == headers.end() ? "" : from->second, &recipients->sender);
}

}  // namespace sendwarden
