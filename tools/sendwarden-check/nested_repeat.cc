#include "tools/sendwarden-check/nested_repeat.h"

#include <bitset>
#include <string_view>
#include <vector>

#include "config/pattern_syntax.h"

namespace sendwarden_checker {

namespace {

using sendwarden::PatternBranch;
using sendwarden::PatternItem;
using Kind = sendwarden::PatternItem::Kind;
using Bytes = std::bitset<256>;

Bytes Every() { return Bytes().set(); }
Bytes One(char c) { return Bytes().set(static_cast<unsigned char>(c)); }

Bytes Range(int low, int high) {
  Bytes bytes;
  for (int c = low; c <= high; ++c) bytes.set(c);
  return bytes;
}

// \d \w \s and their complements. A word byte of the locale may lie above
// 0x7F, so \w takes all of those too.
Bytes ClassEscapeBytes(char letter) {
  Bytes bytes;
  switch (letter | 0x20) {
    case 'd': bytes = Range('0', '9'); break;
    case 'w': bytes = Range('0', '9') | Range('A', 'Z') | Range('a', 'z') | One('_') | Range(0x80, 0xFF); break;
    case 's': bytes = Range('\t', '\r') | One(' '); break;
    default: return Every();
  }
  return (letter & 0x20) ? bytes : ~bytes;
}

// The bytes a class "[...]" matches, read from its text.
Bytes ClassBytes(std::string_view text) {
  size_t i = 1, end = text.size() - 1;  // between the brackets
  bool negated = i < end && text[i] == '^';
  if (negated) ++i;
  Bytes bytes;
  int previous = -1;  // the last single byte, for a range
  bool first = true;
  while (i < end) {
    char c = text[i];
    if (c == '[' && i + 1 < end && (text[i + 1] == ':' || text[i + 1] == '=' || text[i + 1] == '.')) {
      size_t close = text.find(text[i + 1], i + 3);
      bytes = Every();
      i = close == std::string_view::npos ? end : close + 2;
      previous = -1;
    } else if (c == '\\' && i + 1 < end) {
      char e = text[i + 1];
      if (sendwarden::IsIdentityEscape(e)) {
        bytes.set(static_cast<unsigned char>(e));
        previous = static_cast<unsigned char>(e);
      } else {
        bytes |= std::string_view("dDwWsS").find(e) != std::string_view::npos ? ClassEscapeBytes(e)
                                                                               : Every();
        previous = -1;
      }
      i += 2;
    } else if (c == '-' && !first && previous >= 0 && i + 1 < end && text[i + 1] != '\\' &&
               text[i + 1] != '[') {
      bytes |= Range(previous, static_cast<unsigned char>(text[i + 1]));
      previous = -1;
      i += 2;
    } else {
      bytes.set(static_cast<unsigned char>(c));
      previous = static_cast<unsigned char>(c);
      ++i;
    }
    first = false;
  }
  return negated ? ~bytes : bytes;
}

struct Repeat {
  unsigned min = 1;
  bool unbounded = false;
  bool possessive = false;
};

Repeat RepeatOf(std::string_view pattern, const PatternItem& item) {
  Repeat repeat;
  std::string_view q = sendwarden::QuantifierOf(pattern, item);
  size_t at = q.find_first_of("*+?{");
  if (at == std::string_view::npos) return repeat;
  q.remove_prefix(at);
  switch (q[0]) {
    case '*': repeat.min = 0; repeat.unbounded = true; break;
    case '+': repeat.unbounded = true; break;
    case '?': repeat.min = 0; break;
    case '{': {
      size_t i = 1;
      unsigned value = 0;
      while (i < q.size() && (q[i] == ' ' || q[i] == '\t')) ++i;
      while (i < q.size() && q[i] >= '0' && q[i] <= '9') value = value * 10 + (q[i++] - '0');
      repeat.min = value;
      size_t comma = q.find(',');
      size_t close = q.find('}');
      if (comma != std::string_view::npos && comma < close) {
        size_t j = comma + 1;
        while (j < close && (q[j] == ' ' || q[j] == '\t')) ++j;
        repeat.unbounded = j == close;
      }
      q.remove_prefix(close);
      break;
    }
  }
  repeat.possessive = q.size() >= 2 && q.back() == '+';
  return repeat;
}

bool ZeroWidth(Kind kind) {
  return kind == Kind::kStart || kind == Kind::kEnd || kind == Kind::kAssertion ||
         kind == Kind::kFlags || kind == Kind::kLookaround;
}

bool Grouping(Kind kind) {
  return kind == Kind::kGroup || kind == Kind::kAtomic || kind == Kind::kOptionGroup ||
         kind == Kind::kConditional;
}

class Finder {
 public:
  explicit Finder(std::string_view pattern) : p_(pattern) {}

  std::optional<NestedRepeat> In(const std::vector<PatternBranch>& branches) {
    for (const PatternBranch& branch : branches) {
      for (const PatternItem& item : branch) {
        if (std::optional<NestedRepeat> found = At(item)) return found;
        if (std::optional<NestedRepeat> inner = In(item.alternatives)) return inner;
      }
    }
    return std::nullopt;
  }

 private:
  // Every byte `item` can take.
  Bytes Takes(const PatternItem& item) const {
    switch (item.kind) {
      case Kind::kByte: return One(item.byte);
      case Kind::kOtherByte: return item.known ? One(item.byte) : Every();
      case Kind::kClassEscape: return ClassEscapeBytes(item.byte);
      case Kind::kClass: return ClassBytes(p_.substr(item.begin, item.end - item.begin));
      default:
        if (ZeroWidth(item.kind)) return Bytes();
        if (Grouping(item.kind)) {
          Bytes bytes;
          for (const PatternBranch& branch : item.alternatives) {
            for (const PatternItem& inner : branch) bytes |= Takes(inner);
          }
          return bytes;
        }
        return Every();
    }
  }

  bool Nullable(const PatternItem& item) const {
    if (ZeroWidth(item.kind) || RepeatOf(p_, item).min == 0) return true;
    if (!Grouping(item.kind)) return false;
    for (const PatternBranch& branch : item.alternatives) {
      if (Nullable(branch, 0)) return true;
    }
    return false;
  }
  bool Nullable(const PatternBranch& branch, size_t from) const {
    for (size_t i = from; i < branch.size(); ++i) {
      if (!Nullable(branch[i])) return false;
    }
    return true;
  }

  // The bytes a match of `branch` can begin with.
  Bytes Begins(const PatternBranch& branch) const {
    Bytes bytes;
    for (const PatternItem& item : branch) {
      bytes |= Grouping(item.kind) ? Begins(item.alternatives) : Takes(item);
      if (!Nullable(item)) break;
    }
    return bytes;
  }
  Bytes Begins(const std::vector<PatternBranch>& branches) const {
    Bytes bytes;
    for (const PatternBranch& branch : branches) bytes |= Begins(branch);
    return bytes;
  }

  std::optional<NestedRepeat> At(const PatternItem& group) const {
    if (group.kind != Kind::kGroup && group.kind != Kind::kOptionGroup) return std::nullopt;
    Repeat outer = RepeatOf(p_, group);
    if (!outer.unbounded || outer.possessive) return std::nullopt;
    Bytes begins = Begins(group.alternatives);
    bool ambiguous = false;
    for (size_t b = 0; b < group.alternatives.size() && !ambiguous; ++b) {
      const PatternBranch& branch = group.alternatives[b];
      for (size_t i = 0; i < branch.size() && !ambiguous; ++i) {
        Repeat inner = RepeatOf(p_, branch[i]);
        ambiguous = inner.unbounded && !inner.possessive && Nullable(branch, i + 1) &&
                    (Takes(branch[i]) & begins).any();
      }
      for (size_t other = 0; other < b && !ambiguous; ++other) {
        ambiguous = (Begins(branch) & Begins(group.alternatives[other])).any();
      }
    }
    if (!ambiguous) return std::nullopt;
    NestedRepeat found;
    found.begin = group.begin;
    found.end = group.quantifierEnd;
    found.rewrite = Rewrite(group, outer);
    return found;
  }

  // One class with one repeat, when the group is one branch of single-byte
  // items: "(\w+\.?)+" is "[\w.]+".
  std::string Rewrite(const PatternItem& group, const Repeat& outer) const {
    if (group.kind != Kind::kGroup || group.alternatives.size() != 1) return "";
    const PatternBranch& branch = group.alternatives[0];
    std::string members;
    bool dash = false;
    for (const PatternItem& item : branch) {
      std::string_view text = p_.substr(item.begin, item.end - item.begin);
      switch (item.kind) {
        case Kind::kByte:
          if (item.byte == '-') {
            dash = true;
          } else if (std::string_view("]\\^[").find(item.byte) != std::string_view::npos) {
            members += std::string("\\") + item.byte;
          } else {
            members += item.byte;
          }
          break;
        case Kind::kClassEscape: members += text; break;
        case Kind::kClass: {
          if (item.negated) return "";
          std::string_view inner = text.substr(1, text.size() - 2);
          while (!inner.empty() && inner.front() == '-') dash = true, inner.remove_prefix(1);
          while (!inner.empty() && inner.back() == '-' &&
                 (inner.size() < 2 || inner[inner.size() - 2] != '\\')) {
            dash = true;
            inner.remove_suffix(1);
          }
          members += inner;
          break;
        }
        default:
          return "";
      }
    }
    if (members.empty() && !dash) return "";
    bool empty_turn = Nullable(branch, 0);
    return "[" + members + (dash ? "-" : "") + "]" + (outer.min >= 1 && !empty_turn ? "+" : "*");
  }

  std::string_view p_;
};

}  // namespace

std::optional<NestedRepeat> FindNestedRepeat(const std::string& pattern) {
  sendwarden::PatternSyntax syntax = sendwarden::ReadPatternSyntax(pattern);
  if (!syntax.modelled) return std::nullopt;
  return Finder(pattern).In(syntax.branches);
}

}  // namespace sendwarden_checker
