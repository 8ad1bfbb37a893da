#include "config/pattern_syntax.h"

namespace sendwarden {

namespace {

using Kind = PatternItem::Kind;

bool OneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// What "x" mode passes over, and what ends its "#" comments (the engine's
// C-locale space class and line separators).
bool IsSpace(char c) { return OneOf(c, " \t\n\v\f\r"); }
bool IsSeparator(char c) { return c == '\n' || c == '\r' || c == '\f'; }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}

constexpr int kMaxDepth = 100;

class Reader {
 public:
  explicit Reader(std::string_view pattern) : p_(pattern) {}

  bool Read(std::vector<PatternBranch>* branches) {
    if (!Alternatives(0, false, branches)) return false;
    if (pos_ != p_.size()) return Refuse(PatternRefusal::kUnread, pos_, pos_ + 1);  // a stray ")"
    return true;
  }

  PatternRefusal refusal = PatternRefusal::kNone;
  size_t refusedBegin = 0, refusedEnd = 0;

 private:
  bool Refuse(PatternRefusal why, size_t begin, size_t end) {
    if (refusal == PatternRefusal::kNone) {
      refusal = why;
      refusedBegin = begin;
      refusedEnd = end < p_.size() ? end : p_.size();
    }
    return false;
  }
  bool Unread(size_t begin) { return Refuse(PatternRefusal::kUnread, begin, begin + 1); }
  // From `begin` to the next ")" (a verb's or a recursion's text).
  bool RefuseToParen(PatternRefusal why, size_t begin) {
    size_t close = p_.find(')', begin);
    return Refuse(why, begin, close == std::string_view::npos ? p_.size() : close + 1);
  }

  bool At(size_t at, char c) const { return at < p_.size() && p_[at] == c; }

  // What matches nothing and is not an item: "(?#...)" and "\Q\E" always, and in "x"
  // mode blanks and "#" comments. A quantifier after them still belongs to
  // the item before, as in the engine.
  void SkipIgnored(bool x) {
    for (;;) {
      if (x && pos_ < p_.size() && IsSpace(p_[pos_])) {
        ++pos_;
      } else if (x && At(pos_, '#')) {
        while (pos_ < p_.size() && !IsSeparator(p_[pos_++])) {
        }
      } else if (p_.compare(pos_, 4, "\\Q\\E") == 0) {
        pos_ += 4;  // an empty quotation
      } else if (p_.compare(pos_, 3, "(?#") == 0) {
        size_t close = p_.find(')', pos_);
        pos_ = close == std::string_view::npos ? p_.size() : close + 1;
      } else {
        return;
      }
    }
  }

  // branch {"|" branch}, up to a ")" (inside a group) or the end. `x` is the
  // "x" mode the group starts in; "(?x)" changes it until the group's end.
  bool Alternatives(int depth, bool x, std::vector<PatternBranch>* branches) {
    branches->emplace_back();
    for (;;) {
      SkipIgnored(x);
      if (pos_ >= p_.size()) return depth == 0 || Unread(p_.size());
      char c = p_[pos_];
      if (c == ')') return depth > 0 || Unread(pos_);
      if (c == '|') {
        ++pos_;
        branches->emplace_back();
        continue;
      }
      PatternItem item;
      item.begin = pos_;
      if (!Item(depth, x, &item)) return false;
      item.end = pos_;
      if (item.kind == Kind::kFlags) x = FlagsTurnX(item, x);
      if (!Quantifier(x, &item)) return false;
      branches->back().push_back(std::move(item));
    }
  }

  // The "x" mode after the flags of `item` ("(?x)", "(?-x)", "(?ix-s)").
  bool FlagsTurnX(const PatternItem& item, bool x) const {
    bool on = true;
    for (size_t at = item.begin + 2; at < item.end; ++at) {
      if (p_[at] == '-') on = false;
      if (p_[at] == 'x') x = on;
    }
    return x;
  }

  bool Item(int depth, bool x, PatternItem* item) {
    char c = p_[pos_];
    switch (c) {
      case '\\': return Escape(item);
      case '[':
        item->kind = Kind::kClass;
        return Class(item);
      case '(': return Group(depth, x, item);
      case '.':
        item->kind = Kind::kDot;
        ++pos_;
        return true;
      case '^':
        item->kind = Kind::kStart;
        ++pos_;
        return true;
      case '$':
        item->kind = Kind::kEnd;
        ++pos_;
        return true;
      case '*':
      case '+':
      case '?':
        return Unread(pos_);  // nothing to repeat
      case '{':
        if (RangeEnd(pos_) != 0) return Unread(pos_);
        [[fallthrough]];
      case '}':
      case ']':
        item->kind = Kind::kOtherByte;
        item->byte = c;
        ++pos_;
        return true;
      default:
        item->kind = Kind::kByte;
        item->byte = c;
        ++pos_;
        return true;
    }
  }

  enum class Escaped { kNotMine, kDone, kRefused };

  // The byte escapes shared with classes: "\x..", "\c.", "\0..", "\N{..}"
  // and the letters for control bytes. `pos_` is after the letter `e`.
  Escaped ByteEscape(char e, PatternItem* item) {
    size_t begin = pos_ - 2;
    item->kind = Kind::kOtherByte;
    switch (e) {
      case 'a': item->byte = '\a'; return Escaped::kDone;
      case 'e': item->byte = 27; return Escaped::kDone;
      case 'f': item->byte = '\f'; return Escaped::kDone;
      case 'n': item->byte = '\n'; return Escaped::kDone;
      case 'r': item->byte = '\r'; return Escaped::kDone;
      case 't': item->byte = '\t'; return Escaped::kDone;
      case 'c':
        if (pos_ >= p_.size()) break;
        item->byte = static_cast<char>(static_cast<unsigned char>(p_[pos_++]) % 32);
        return Escaped::kDone;
      case 'x': {
        bool braced = At(pos_, '{');
        size_t at = braced ? pos_ + 1 : pos_;
        size_t limit = braced ? p_.size() : pos_ + 2;
        int value = 0;
        while (at < p_.size() && at < limit && IsHex(p_[at]) && value <= 0xFF) {
          value = value * 16 + HexValue(p_[at++]);
        }
        if (at == (braced ? pos_ + 1 : pos_) || value > 0xFF) break;
        if (braced && !At(at, '}')) break;
        pos_ = braced ? at + 1 : at;
        item->byte = static_cast<char>(value);
        return Escaped::kDone;
      }
      case '0': {
        int value = 0;
        for (int n = 0; n < 3 && pos_ < p_.size() && p_[pos_] >= '0' && p_[pos_] <= '7'; ++n) {
          value = value * 8 + (p_[pos_++] - '0');
        }
        item->byte = static_cast<char>(value);
        return Escaped::kDone;
      }
      case 'N': {
        size_t close = At(pos_, '{') ? p_.find('}', pos_) : std::string_view::npos;
        if (close == std::string_view::npos) break;
        pos_ = close + 1;
        item->known = false;
        return Escaped::kDone;
      }
      default:
        return Escaped::kNotMine;
    }
    Unread(begin);
    return Escaped::kRefused;
  }

  bool Escape(PatternItem* item) {
    size_t begin = pos_;
    if (pos_ + 1 >= p_.size()) return Unread(begin);
    char e = p_[pos_ + 1];
    pos_ += 2;
    item->byte = e;
    if (IsIdentityEscape(e)) {
      item->kind = Kind::kByte;
      return true;
    }
    if (OneOf(e, "dDwWsS")) {
      item->kind = Kind::kClassEscape;
      return true;
    }
    if (OneOf(e, "bBAzZ<>`'GK")) {
      item->kind = Kind::kAssertion;
      return true;
    }
    if (OneOf(e, "hHvVlLuUXRC")) {
      item->kind = Kind::kOtherClass;
      return true;
    }
    Escaped read = ByteEscape(e, item);
    if (read != Escaped::kNotMine) return read == Escaped::kDone;
    switch (e) {
      case 'Q': {
        // To the first "\E", or the end; a "\" and the byte after it are
        // part of the text unless that byte is "E".
        size_t at = pos_;
        for (;;) {
          size_t slash = p_.find('\\', at);
          if (slash == std::string_view::npos) {
            at = p_.size();
            break;
          }
          if (slash + 1 >= p_.size()) return Unread(slash);
          if (p_[slash + 1] == 'E') {
            at = slash + 2;
            break;
          }
          at = slash + 1;
        }
        item->kind = Kind::kQuoted;
        pos_ = at;
        return true;
      }
      case 'p':
      case 'P':
        item->kind = Kind::kOtherClass;
        if (At(pos_, '{')) {
          size_t close = p_.find('}', pos_);
          if (close == std::string_view::npos) return Unread(begin);
          pos_ = close + 1;
        } else {
          if (pos_ >= p_.size()) return Unread(begin);
          ++pos_;
        }
        return true;
      case 'g':
      case 'k': {
        item->kind = Kind::kBackReference;
        char open = pos_ < p_.size() ? p_[pos_] : '\0';
        char close = open == '{' ? '}' : open == '<' ? '>' : open == '\'' ? '\'' : '\0';
        if (close != '\0') {
          size_t end = p_.find(close, pos_ + 1);
          if (end == std::string_view::npos || end == pos_ + 1) return Unread(begin);
          pos_ = end + 1;
          return true;
        }
        if (At(pos_, '-')) ++pos_;
        size_t digits = pos_;
        while (pos_ < p_.size() && IsDigit(p_[pos_])) ++pos_;
        return pos_ > digits || Unread(begin);
      }
      default:
        break;
    }
    if (e >= '1' && e <= '9') {
      item->kind = Kind::kBackReference;  // one digit: "\12" is \1 and "2"
      return true;
    }
    if (e == 'E') {
      item->kind = Kind::kOtherByte;  // a lone \E: the engine's reading is not ours to guess
      item->known = false;
      return true;
    }
    // Any other letter or byte: the engine takes it as itself.
    item->kind = Kind::kOtherByte;
    return true;
  }

  // A class's member that is an escape, from the "\" at `pos_`.
  bool ClassEscape() {
    if (pos_ + 1 >= p_.size()) return Unread(pos_);
    char e = p_[pos_ + 1];
    pos_ += 2;
    PatternItem scratch;
    return ByteEscape(e, &scratch) != Escaped::kRefused;
  }

  bool Class(PatternItem* item) {
    size_t begin = pos_;
    ++pos_;  // "["
    if (At(pos_, '^')) {
      item->negated = true;
      ++pos_;
    }
    size_t first = pos_;
    while (pos_ < p_.size()) {
      char c = p_[pos_];
      if (c == ']' && pos_ != first) {
        ++pos_;
        return true;
      }
      if (c == '\\') {
        if (!ClassEscape()) return false;
        continue;
      }
      if (c == '[' && pos_ + 1 < p_.size() && OneOf(p_[pos_ + 1], ":=.")) {
        // "[:name:]", "[=x=]", "[.x.]": a name of one byte at least.
        char mark = p_[pos_ + 1];
        size_t end = p_.find(mark, pos_ + 3);
        if (end == std::string_view::npos || !At(end + 1, ']')) return Unread(pos_);
        pos_ = end + 2;
        continue;
      }
      ++pos_;
    }
    return Unread(begin);  // no "]"
  }

  bool Group(int depth, bool x, PatternItem* item) {
    size_t begin = pos_;
    if (depth >= kMaxDepth) return Refuse(PatternRefusal::kTooDeep, begin, begin + 1);
    ++pos_;  // "("
    if (pos_ >= p_.size()) return Unread(begin);
    if (p_[pos_] == '*') return RefuseToParen(PatternRefusal::kVerb, begin);
    item->kind = Kind::kGroup;
    bool inner_x = x;
    if (p_[pos_] == '?') {
      ++pos_;
      if (pos_ >= p_.size()) return Unread(begin);
      char c = p_[pos_];
      switch (c) {
        case ':':
        case '|':
          ++pos_;
          break;
        case '=':
        case '!':
          item->kind = Kind::kLookaround;
          item->negated = c == '!';
          ++pos_;
          break;
        case '>':
          item->kind = Kind::kAtomic;
          ++pos_;
          break;
        case '<':
          if (At(pos_ + 1, '=') || At(pos_ + 1, '!')) {
            item->kind = Kind::kLookaround;
            item->behind = true;
            item->negated = p_[pos_ + 1] == '!';
            pos_ += 2;
            break;
          }
          if (!Name('>')) return Unread(begin);
          break;
        case '\'':
          if (!Name('\'')) return Unread(begin);
          break;
        case 'P':
          if (At(pos_ + 1, '<')) {
            ++pos_;
            if (!Name('>')) return Unread(begin);
            break;
          }
          if (At(pos_ + 1, '=')) {
            size_t close = p_.find(')', pos_ + 2);
            if (close == std::string_view::npos || close == pos_ + 2) return Unread(begin);
            item->kind = Kind::kBackReference;
            pos_ = close + 1;
            return true;
          }
          if (At(pos_ + 1, '>')) return RefuseToParen(PatternRefusal::kRecursion, begin);
          return Unread(begin);
        case '(':
          return Conditional(depth, x, begin, item);
        case 'R':
        case '&':
        case '+':
          return RefuseToParen(PatternRefusal::kRecursion, begin);
        default:
          if (IsDigit(c) || (c == '-' && pos_ + 1 < p_.size() && IsDigit(p_[pos_ + 1]))) {
            return RefuseToParen(PatternRefusal::kRecursion, begin);
          }
          // Inline options: letters of "imsx", then "-" and more of them.
          while (pos_ < p_.size() && OneOf(p_[pos_], "imsx")) ++pos_;
          if (At(pos_, '-')) {
            ++pos_;
            while (pos_ < p_.size() && OneOf(p_[pos_], "imsx")) ++pos_;
          }
          if (At(pos_, ')')) {
            item->kind = Kind::kFlags;
            ++pos_;
            return true;
          }
          if (!At(pos_, ':')) return Unread(begin);
          item->kind = Kind::kOptionGroup;
          item->end = pos_ + 1;
          inner_x = FlagsTurnX(*item, x);
          ++pos_;
          break;
      }
    }
    if (!Alternatives(depth + 1, inner_x, &item->alternatives)) return false;
    if (!At(pos_, ')')) return Unread(begin);
    ++pos_;
    return true;
  }

  // A group's name up to `close`, from the byte before it; one byte at least.
  bool Name(char close) {
    size_t end = p_.find(close, pos_ + 1);
    if (end == std::string_view::npos || end == pos_ + 1) return false;
    pos_ = end + 1;
    return true;
  }

  // "(?(" read: a condition, then the yes and no branches.
  bool Conditional(int depth, bool x, size_t begin, PatternItem* item) {
    item->kind = Kind::kConditional;
    ++pos_;  // the condition's "("
    if (pos_ >= p_.size()) return Unread(begin);
    char c = p_[pos_];
    if (c == 'R' || c == 'D') return RefuseToParen(PatternRefusal::kRecursion, begin);
    if (c == '?') {
      // A look-around: read it as the item it is.
      --pos_;
      PatternItem condition;
      condition.begin = pos_;
      if (!Group(depth + 1, x, &condition)) return false;
      if (condition.kind != Kind::kLookaround) return Unread(condition.begin);
      condition.end = condition.quantifierEnd = pos_;
      item->condition.push_back(std::move(condition));
    } else if (IsDigit(c)) {
      while (pos_ < p_.size() && IsDigit(p_[pos_])) ++pos_;
      if (!At(pos_, ')')) return Unread(begin);
      ++pos_;
    } else if (c == '<' || c == '\'') {
      if (!Name(c == '<' ? '>' : '\'') || !At(pos_, ')')) return Unread(begin);
      ++pos_;
    } else {
      return Unread(begin);
    }
    if (!Alternatives(depth + 1, x, &item->alternatives)) return false;
    if (item->alternatives.size() > 2) return Unread(begin);
    if (!At(pos_, ')')) return Unread(begin);
    ++pos_;
    return true;
  }

  // "{n}", "{n,}" or "{n,m}" from the "{" at `at`: `end` is after the "}",
  // or 0 when the "{" is a byte of its own. The engine passes over blanks
  // inside the braces, in any mode.
  struct Range {
    size_t end = 0;
    bool bad = false;  // "{n,m}" with m < n, or a sign before a number
  };
  Range RangeAt(size_t at) const {
    Range range;
    size_t i = at + 1;
    auto blanks = [&] {
      while (i < p_.size() && IsSpace(p_[i])) ++i;
    };
    auto number = [&](unsigned long long* value) {
      size_t start = i;
      *value = 0;
      while (i < p_.size() && IsDigit(p_[i])) {
        if (*value < 1000000000) *value = *value * 10 + (p_[i] - '0');
        ++i;
      }
      return i > start;
    };
    // The engine reads the numbers by its locale's traits: on Windows "{+2}"
    // is a "{" and text, elsewhere a repeat. A sign is read as neither.
    auto signed_number = [&] { return At(i, '+') || At(i, '-'); };
    unsigned long long low = 0, high = 0;
    blanks();
    if (signed_number()) range.bad = true;
    if (!number(&low)) {
      range.end = range.bad ? i : 0;
      return range;
    }
    blanks();
    if (At(i, ',')) {
      ++i;
      blanks();
      if (signed_number()) range.bad = true;
      if (number(&high) && high < low) range.bad = true;
      blanks();
    }
    if (At(i, '}') || range.bad) range.end = i + 1;
    return range;
  }
  size_t RangeEnd(size_t at) const { return RangeAt(at).end; }

  static bool Repeatable(Kind kind) {
    switch (kind) {
      case Kind::kStart:
      case Kind::kEnd:
      case Kind::kAssertion:
      case Kind::kFlags:
        return false;
      default:
        return true;
    }
  }

  // An optional quantifier after `item`; a second one is no syntax.
  bool Quantifier(bool x, PatternItem* item) {
    SkipIgnored(x);
    size_t at = pos_;
    if (at >= p_.size() || !QuantifierAt(at)) {
      item->quantifierEnd = item->end;
      return true;
    }
    if (!Repeatable(item->kind)) return Unread(at);
    if (p_[at] == '{') {
      Range range = RangeAt(at);
      if (range.bad) return Unread(at);
      pos_ = range.end;
    } else {
      ++pos_;
    }
    if (x) {
      while (pos_ < p_.size() && IsSpace(p_[pos_])) ++pos_;
    }
    if (At(pos_, '?')) ++pos_;  // lazy
    if (At(pos_, '+')) ++pos_;  // possessive
    item->quantifierEnd = pos_;
    size_t after = pos_;
    SkipIgnored(x);
    if (pos_ < p_.size() && QuantifierAt(pos_)) return Unread(pos_);
    pos_ = after;
    return true;
  }

  bool QuantifierAt(size_t at) const {
    char c = p_[at];
    return c == '*' || c == '+' || c == '?' || (c == '{' && RangeEnd(at) != 0);
  }

  std::string_view p_;
  size_t pos_ = 0;
};

}  // namespace

PatternSyntax ReadPatternSyntax(std::string_view pattern) {
  PatternSyntax syntax;
  Reader reader(pattern);
  syntax.modelled = reader.Read(&syntax.branches);
  if (!syntax.modelled) {
    syntax.branches.clear();
    syntax.refusal = reader.refusal == PatternRefusal::kNone ? PatternRefusal::kUnread : reader.refusal;
    syntax.refusedBegin = reader.refusedBegin;
    syntax.refusedEnd = reader.refusedEnd;
  }
  return syntax;
}

}  // namespace sendwarden
