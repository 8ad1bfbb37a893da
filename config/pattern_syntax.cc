#include "config/pattern_syntax.h"

namespace sendwarden {

namespace {

bool OneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

constexpr int kMaxDepth = 100;

class Reader {
 public:
  explicit Reader(std::string_view pattern) : p_(pattern) {}

  bool Read(std::vector<PatternBranch>* branches) {
    return Alternatives(0, branches) && pos_ == p_.size();
  }

 private:
  // branch {"|" branch}, up to a ")" (inside a group) or the end.
  bool Alternatives(int depth, std::vector<PatternBranch>* branches) {
    branches->emplace_back();
    while (pos_ < p_.size()) {
      char c = p_[pos_];
      if (c == ')') return depth > 0;
      if (c == '|') {
        ++pos_;
        branches->emplace_back();
        continue;
      }
      PatternItem item;
      item.begin = pos_;
      if (!Item(depth, &item)) return false;
      item.end = pos_;
      if (!Quantifier()) return false;
      item.quantifierEnd = pos_;
      branches->back().push_back(std::move(item));
    }
    return depth == 0;
  }

  bool Item(int depth, PatternItem* item) {
    using Kind = PatternItem::Kind;
    char c = p_[pos_];
    switch (c) {
      case '\\': {
        if (pos_ + 1 >= p_.size()) return false;
        char e = p_[pos_ + 1];
        pos_ += 2;
        item->byte = e;
        if (IsIdentityEscape(e)) {
          item->kind = Kind::kByte;
        } else if (OneOf(e, "dDwWsS")) {
          item->kind = Kind::kClassEscape;
        } else if (OneOf(e, "bBAzZ")) {
          item->kind = Kind::kAssertion;
        } else {
          return false;
        }
        return true;
      }
      case '[':
        item->kind = Kind::kClass;
        return Class(item);
      case '(':
        return Group(depth, item);
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
      case '{':
      case '}':
      case ']':
        return false;
      default:
        item->kind = Kind::kByte;
        item->byte = c;
        ++pos_;
        return true;
    }
  }

  bool Group(int depth, PatternItem* item) {
    if (depth >= kMaxDepth) return false;
    ++pos_;  // "("
    if (pos_ < p_.size() && p_[pos_] == '?' && pos_ + 1 < p_.size() && p_[pos_ + 1] != ':') {
      // Inline options: "(?i)", "(?-s)", nothing else.
      size_t at = pos_ + 1;
      while (at < p_.size() && OneOf(p_[at], "imsx-")) ++at;
      if (at == pos_ + 1 || at >= p_.size() || p_[at] != ')') return false;
      item->kind = PatternItem::Kind::kFlags;
      pos_ = at + 1;
      return true;
    }
    if (pos_ < p_.size() && (p_[pos_] == '*' || p_[pos_] == '?')) {
      if (p_.compare(pos_, 2, "?:") != 0) return false;
      pos_ += 2;
    }
    item->kind = PatternItem::Kind::kGroup;
    if (!Alternatives(depth + 1, &item->alternatives) || pos_ >= p_.size() || p_[pos_] != ')') {
      return false;
    }
    ++pos_;
    return true;
  }

  bool Class(PatternItem* item) {
    ++pos_;  // "["
    if (pos_ < p_.size() && p_[pos_] == '^') {
      item->negated = true;
      ++pos_;
    }
    if (pos_ < p_.size() && p_[pos_] == ']') ++pos_;  // a member, not the end
    while (pos_ < p_.size()) {
      char c = p_[pos_];
      if (c == ']') {
        ++pos_;
        return true;
      }
      if (c == '[') return false;
      if (c == '\\') {
        if (pos_ + 1 >= p_.size()) return false;
        char e = p_[pos_ + 1];
        if (!IsIdentityEscape(e) && !OneOf(e, "dDwWsS")) return false;
        pos_ += 2;
        continue;
      }
      ++pos_;
    }
    return false;
  }

  bool Digits() {
    size_t start = pos_;
    while (pos_ < p_.size() && p_[pos_] >= '0' && p_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }

  bool Quantifier() {
    if (pos_ >= p_.size()) return true;
    char c = p_[pos_];
    if (c == '*' || c == '+' || c == '?') {
      ++pos_;
    } else if (c == '{') {
      ++pos_;
      if (!Digits()) return false;
      if (pos_ < p_.size() && p_[pos_] == ',') {
        ++pos_;
        Digits();
      }
      if (pos_ >= p_.size() || p_[pos_] != '}') return false;
      ++pos_;
    } else {
      return true;
    }
    if (pos_ < p_.size() && (p_[pos_] == '?' || p_[pos_] == '+')) ++pos_;
    return pos_ >= p_.size() || !OneOf(p_[pos_], "*+?{");
  }

  std::string_view p_;
  size_t pos_ = 0;
};

}  // namespace

PatternSyntax ReadPatternSyntax(std::string_view pattern) {
  PatternSyntax syntax;
  syntax.modelled = Reader(pattern).Read(&syntax.branches);
  if (!syntax.modelled) syntax.branches.clear();
  return syntax;
}

}  // namespace sendwarden
