#include "message/address_reader.h"

#include <cstdint>

namespace sendwarden {

namespace {

// The bytes an atom may hold: letters, digits, the grammar's list of marks,
// and every byte of 0x80 and above (raw code page 932 or UTF-8 text, read as
// Python's reader reads it).
constexpr bool IsAtextByte(unsigned char c) {
  if (c >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  for (char mark : "!#$%&'*+-/=?^_`{|}~") {
    if (mark != '\0' && c == static_cast<unsigned char>(mark)) return true;
  }
  return false;
}

struct AtextTable {
  bool bytes[256] = {};
  constexpr AtextTable() {
    for (int c = 0; c < 256; ++c) bytes[c] = IsAtextByte(static_cast<unsigned char>(c));
  }
};
constexpr AtextTable kAtext;

bool IsAtext(unsigned char c) { return kAtext.bytes[c]; }

// Folding white space: the unfolded value may still hold a CR or LF.
bool IsFws(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

enum class Kind { kAtom, kQuoted, kLiteral, kSpecial };

// Small, since a long list has thousands: the text is the field's bytes
// [offset, offset + length), quoted strings and literals with their
// delimiters.
struct Token {
  size_t offset;
  uint32_t length;
  Kind kind;
  char first;          // the first byte, for the specials
  bool commentBefore;  // a comment stands between this token and the one before
};

struct Lexed {
  std::string_view value;
  std::vector<Token> tokens;
  bool commentAtEnd = false;
  AddressSyntax error = AddressSyntax::kNone;
  size_t errorOffset = 0;
  std::vector<Span> comments;
};

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Ends a delimited run ('"' or ']'): a backslash takes the next byte.
// Returns the offset after the closing byte, or npos; sets `line_break`
// (and returns npos) at a CR or LF inside it, escaped or not: other readers
// stop the run there, and would read what follows as addresses.
size_t SkipDelimited(std::string_view value, size_t i, char close, char forbidden,
                     bool* line_break) {
  for (++i; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\\') {
      ++i;
      if (i < value.size() && IsLineBreak(value[i])) break;
    } else if (IsLineBreak(c)) {
      break;
    } else if (c == close) {
      return i + 1;
    } else if (c == forbidden) {
      return std::string_view::npos;
    }
  }
  *line_break = i < value.size() && IsLineBreak(value[i]);
  return std::string_view::npos;
}

Lexed Lex(std::string_view value) {
  Lexed out;
  out.value = value;
  out.tokens.reserve(64);
  bool comment = false;
  auto fail = [&out](AddressSyntax error, size_t at) {
    out.error = error;
    out.errorOffset = at;
    return out;
  };
  size_t i = 0;
  while (i < value.size()) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (IsFws(static_cast<char>(c))) {
      ++i;
    } else if (c == '(') {
      // Nested, with quoted pairs; counted, not recursed.
      size_t start = i;
      int depth = 0;
      for (; i < value.size(); ++i) {
        char d = value[i];
        if (IsLineBreak(d) || (d == '\\' && i + 1 < value.size() && IsLineBreak(value[i + 1]))) {
          return fail(AddressSyntax::kLineBreakInside, start);
        }
        if (d == '\\') {
          ++i;
        } else if (d == '(') {
          ++depth;
        } else if (d == ')') {
          if (--depth == 0) break;
        }
      }
      if (i >= value.size()) return fail(AddressSyntax::kUnclosedComment, start);
      ++i;
      out.comments.push_back({start, i});
      comment = true;
    } else if (c == '"' || c == '[') {
      bool line_break = false;
      size_t end = c == '"' ? SkipDelimited(value, i, '"', '\0', &line_break)
                            : SkipDelimited(value, i, ']', '[', &line_break);
      if (end == std::string_view::npos) {
        if (line_break) return fail(AddressSyntax::kLineBreakInside, i);
        return fail(c == '"' ? AddressSyntax::kUnclosedQuote : AddressSyntax::kUnclosedDomainLiteral,
                    i);
      }
      out.tokens.push_back({i, static_cast<uint32_t>(end - i),
                            c == '"' ? Kind::kQuoted : Kind::kLiteral, value[i], comment});
      comment = false;
      i = end;
    } else if (c == '<' || c == '>' || c == '@' || c == ',' || c == ';' || c == ':' || c == '.') {
      out.tokens.push_back({i, 1, Kind::kSpecial, value[i], comment});
      comment = false;
      ++i;
    } else if (IsAtext(c)) {
      size_t start = i;
      while (i < value.size() && IsAtext(static_cast<unsigned char>(value[i]))) ++i;
      out.tokens.push_back({start, static_cast<uint32_t>(i - start), Kind::kAtom, value[start], comment});
      comment = false;
    } else {
      // ")", "]", a backslash outside quotes, a control byte.
      return fail(AddressSyntax::kStrayCharacter, i);
    }
  }
  out.commentAtEnd = comment;
  return out;
}

// The first lead byte, pairing the bytes as code page 932 does, whose
// second byte the grammar would read as a mark of its own; npos if none.
// ("表" is 0x95 0x5C: the client reads a name, a byte-wise reader a
// backslash that escapes whatever follows.)
size_t FindDoubleByteMark(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) continue;
    if (i + 1 == value.size()) return i;  // a lead byte with nothing after it
    unsigned char next = static_cast<unsigned char>(value[i + 1]);
    // A lead byte without a valid second byte: a reader that steps by
    // characters would still take the next byte (a quote, say) with it.
    if (!((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC))) return i;
    if (next == '\\' || next == '@' || next == '[' || next == ']') return i;
    ++i;
  }
  return std::string_view::npos;
}

class Parser {
 public:
  Parser(const Lexed& lexed, AddressReading* out) : tokens_(lexed.tokens), lexed_(lexed), out_(out) {}

  void ReadList() {
    size_t start = 0;  // after the last comma between members
    while (!AtEnd()) {
      if (IsSpecial(',')) {  // an empty member
        start = tokens_[i_++].offset + 1;
        continue;
      }
      size_t first = out_->members.size();
      if (!ReadAddress(/*in_group=*/false)) return;
      Span span = Trimmed(start, AtEnd() ? lexed_.value.size() : tokens_[i_].offset);
      for (size_t k = first; k < out_->members.size(); ++k) out_->members[k].span = span;
      if (AtEnd()) return;
      if (!IsSpecial(',')) {
        Fail(AddressSyntax::kTextAfterAddress);
        return;
      }
      start = tokens_[i_++].offset + 1;
    }
  }

 private:
  bool AtEnd() const { return i_ >= tokens_.size(); }
  bool IsSpecial(char c) const {
    return !AtEnd() && tokens_[i_].kind == Kind::kSpecial && tokens_[i_].first == c;
  }
  bool IsWord() const {
    return !AtEnd() && (tokens_[i_].kind == Kind::kAtom || tokens_[i_].kind == Kind::kQuoted);
  }
  bool Fail(AddressSyntax error) {
    if (out_->error == AddressSyntax::kNone) {
      out_->error = error;
      out_->errorOffset = AtEnd() ? EndOffset() : tokens_[i_].offset;
    }
    return false;
  }
  Span Trimmed(size_t begin, size_t end) const {
    while (begin < end && IsFws(lexed_.value[begin])) ++begin;
    while (end > begin && IsFws(lexed_.value[end - 1])) --end;
    return {begin, end};
  }
  size_t EndOffset() const {
    return tokens_.empty() ? 0 : tokens_.back().offset + tokens_.back().length;
  }
  // A comment follows the token before i_ (the next token's flag, or the
  // comment at the very end).
  void Append(const Token& t, std::string* text) const {
    text->append(lexed_.value.data() + t.offset, t.length);
  }
  bool CommentHere() const { return AtEnd() ? lexed_.commentAtEnd : tokens_[i_].commentBefore; }

  // word *("." word) between tokens [from, to): a local part. Writes it
  // without the white space and comments between its tokens. Returns `to`,
  // or the token where the form breaks.
  size_t DottedWords(size_t from, size_t to, std::string* text, bool* quoted) {
    bool want_word = true;
    for (size_t k = from; k < to; ++k) {
      const Token& t = tokens_[k];
      bool word = t.kind == Kind::kAtom || t.kind == Kind::kQuoted;
      if (word != want_word) return k;
      if (t.kind == Kind::kQuoted) *quoted = true;
      Append(t, text);
      want_word = !want_word;
    }
    return want_word ? to - 1 : to;  // a dot at the end
  }

  // domain = atom *("." atom) / domain-literal, from i_.
  bool ReadDomain(std::string* text) {
    if (!AtEnd() && tokens_[i_].kind == Kind::kLiteral) {
      Append(tokens_[i_], text);
      ++i_;
      return true;
    }
    if (AtEnd() || tokens_[i_].kind != Kind::kAtom) return Fail(AddressSyntax::kNoDomain);
    while (true) {
      Append(tokens_[i_], text);
      ++i_;
      if (!IsSpecial('.')) return true;
      text->push_back('.');
      ++i_;
      if (AtEnd() || tokens_[i_].kind != Kind::kAtom) return Fail(AddressSyntax::kBadDots);
    }
  }

  // The local part in [from, to), then "@" domain if one follows.
  bool ReadMailboxAddress(size_t from, size_t to, AddressMember* member) {
    if (from == to) return Fail(AddressSyntax::kNoLocalPart);
    size_t broken = DottedWords(from, to, &member->address, &member->quotedLocalPart);
    if (broken != to) {
      // Two words in a row ("John Smith@x") or a misplaced dot.
      bool dot = tokens_[broken].kind == Kind::kSpecial || (broken > from && tokens_[broken - 1].kind == Kind::kSpecial);
      i_ = broken;
      return Fail(dot ? AddressSyntax::kBadDots : AddressSyntax::kStrayCharacter);
    }
    if (!IsSpecial('@')) return true;
    ++i_;
    member->address.push_back('@');
    member->hasDomain = true;
    return ReadDomain(&member->address);
  }

  // obs-route: *("," / CFWS) "@" domain *("," ["@" domain]) ":"
  bool ReadRoute() {
    while (IsSpecial(',')) ++i_;
    std::string ignored;
    while (IsSpecial('@')) {
      ++i_;
      if (!ReadDomain(&ignored)) return false;
      while (IsSpecial(',')) ++i_;
    }
    if (!IsSpecial(':')) return Fail(AddressSyntax::kStrayCharacter);
    ++i_;
    return true;
  }

  // "<" [route] address ">", with i_ on the "<".
  bool ReadAngle(AddressMember* member) {
    ++i_;
    member->angle = true;
    if (IsSpecial('@') || IsSpecial(',')) {
      member->route = true;
      if (!ReadRoute()) return false;
    }
    size_t from = i_;
    while (IsWord() || IsSpecial('.')) ++i_;
    if (IsSpecial('>') && from == i_) return Fail(AddressSyntax::kNoLocalPart);
    if (!ReadMailboxAddress(from, i_, member)) return false;
    if (!member->hasDomain) return Fail(AtEnd() ? AddressSyntax::kUnclosedAngle : AddressSyntax::kNoDomain);
    if (!IsSpecial('>')) {
      return Fail(AtEnd() ? AddressSyntax::kUnclosedAngle : AddressSyntax::kStrayCharacter);
    }
    ++i_;
    return true;
  }

  // One mailbox, or (outside a group) a group. The phrase before "<" or
  // ":" is read loosely (words, dots, comments: the obsolete phrase), since
  // the display name is never compared.
  bool ReadAddress(bool in_group) {
    size_t from = i_;
    while (IsWord() || IsSpecial('.')) ++i_;
    AddressMember member;
    member.inGroup = in_group;
    if (IsSpecial('<')) {
      // The obsolete phrase starts with a word; a reader that takes a dot
      // for the start of an address would cut the list elsewhere.
      if (from != i_ && tokens_[from].kind == Kind::kSpecial) {
        i_ = from;
        return Fail(AddressSyntax::kLeadingDot);
      }
      if (!ReadAngle(&member)) return false;
      out_->members.push_back(std::move(member));
      return true;
    }
    if (IsSpecial(':')) {
      if (in_group) return Fail(AddressSyntax::kNestedGroup);
      if (from == i_ || !(tokens_[from].kind == Kind::kAtom || tokens_[from].kind == Kind::kQuoted)) {
        return Fail(AddressSyntax::kEmptyDisplayName);
      }
      ++i_;
      return ReadGroup();
    }
    if (!ReadMailboxAddress(from, i_, &member)) return false;
    member.commentAfter = CommentHere();
    out_->members.push_back(std::move(member));
    return true;
  }

  // After "name:": mailboxes and empty members up to ";".
  bool ReadGroup() {
    size_t first = out_->members.size();
    while (true) {
      if (AtEnd()) return Fail(AddressSyntax::kUnclosedGroup);
      if (IsSpecial(';')) break;
      if (IsSpecial(',')) {
        ++i_;
        continue;
      }
      if (!ReadAddress(/*in_group=*/true)) return false;
      if (!IsSpecial(',') && !IsSpecial(';')) {
        return Fail(AtEnd() ? AddressSyntax::kUnclosedGroup : AddressSyntax::kTextAfterAddress);
      }
    }
    ++i_;
    if (out_->members.size() == first) {
      AddressMember empty;
      empty.kind = AddressMember::Kind::kEmptyGroup;
      out_->members.push_back(std::move(empty));
    }
    return true;
  }

  const std::vector<Token>& tokens_;
  const Lexed& lexed_;
  AddressReading* out_;
  size_t i_ = 0;
};


// The first control byte but tab, CR and LF, wherever it stands: inside a
// quote or a comment too, where an escape sequence of raw ISO-2022-JP text
// could hide a quote or a parenthesis from a reader that decodes it first.
size_t FindControlByte(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return i;
  }
  return std::string_view::npos;
}

}  // namespace

AddressReading ReadAddressList(std::string_view value) {
  AddressReading out;
  size_t control = FindControlByte(value);
  if (control != std::string_view::npos) {
    out.error = AddressSyntax::kStrayCharacter;
    out.errorOffset = control;
    return out;
  }
  size_t mark = FindDoubleByteMark(value);
  if (mark != std::string_view::npos) {
    out.error = AddressSyntax::kDoubleByteMark;
    out.errorOffset = mark;
    return out;
  }
  Lexed lexed = Lex(value);
  out.comments = std::move(lexed.comments);
  if (lexed.error != AddressSyntax::kNone) {
    out.error = lexed.error;
    out.errorOffset = lexed.errorOffset;
    return out;
  }
  out.members.reserve(lexed.tokens.size() / 4 + 1);
  Parser(lexed, &out).ReadList();
  return out;
}

}  // namespace sendwarden
