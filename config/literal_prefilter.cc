#include "config/literal_prefilter.h"

#include "config/pattern_syntax.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_map>

namespace sendwarden {

namespace {

bool OneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Escapes that stand for a class of one character, or assert something
// without consuming any: they end a literal run and are otherwise harmless.
bool IsClassOrAssertionEscape(char c) { return OneOf(c, "dDwWsSbBAzZ"); }

// The required literal of a pattern, read by a parser that accepts only the
// syntax it models completely:
//
//   sequence   := { atom [quantifier] }          ("|" only inside a group)
//   atom       := byte | "\" identity | "\" class-or-assertion | "." | "^"
//                 | "$" | class | "(" sequence {"|" sequence} ")"
//                 | "(?:" sequence {"|" sequence} ")"
//   quantifier := ("*" | "+" | "?" | "{n}" | "{n,}" | "{n,m}") ["?" | "+"]
//   class      := "[" ["^"] member {member} "]", a member being a byte other
//                 than "[", "\" and "]", or "\" with an identity or class
//                 escape, and the first member not "]"
//
// Anything else (top-level alternation, inline flags and comments, verbs,
// look-around, conditionals, back-references, \Q..\E, hex and control
// escapes, POSIX classes, braces that are not a plain quantifier, ...) gives
// up: no literal, and the pattern is always tested.
//
// Why the result is required: at the top level the pattern is a
// concatenation, so every match consumes, left to right, one match of each
// atom in turn. An unquantified byte atom consumes exactly that byte, and
// consecutive ones consume consecutive bytes. Every other atom (quantified
// ones too) only ends the current run. So each run, and the longest kept,
// occurs in every match, hence in every text the pattern is found in.
// Groups are parsed only to find where they end and to refuse what they may
// hold; nothing inside a group counts.
class LiteralParser {
 public:
  explicit LiteralParser(const std::string& pattern) : p_(pattern) {}

  std::string Run() {
    if (!Sequence(0) || pos_ != p_.size()) return "";
    Cut();
    return best_;
  }

 private:
  bool Sequence(int depth) {
    while (pos_ < p_.size()) {
      char c = p_[pos_];
      if (c == ')') return depth > 0;
      if (c == '|') {
        if (depth == 0) return false;
        ++pos_;
        continue;
      }
      bool literal = false;
      char byte = 0;
      if (!Atom(depth, &literal, &byte)) return false;
      bool quantified = false;
      if (!Quantifier(&quantified)) return false;
      if (depth > 0) continue;
      if (literal && !quantified) {
        run_ += byte;
      } else {
        Cut();
      }
    }
    return depth == 0;
  }

  bool Atom(int depth, bool* literal, char* byte) {
    char c = p_[pos_];
    switch (c) {
      case '\\': {
        if (pos_ + 1 >= p_.size()) return false;
        char e = p_[pos_ + 1];
        pos_ += 2;
        if (IsIdentityEscape(e)) {
          *literal = true;
          *byte = e;
          return true;
        }
        return IsClassOrAssertionEscape(e);
      }
      case '[':
        return Class();
      case '(':
        return Group(depth);
      case '.':
      case '^':
      case '$':
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
        *literal = true;
        *byte = c;
        ++pos_;
        return true;
    }
  }

  bool Group(int depth) {
    ++pos_;  // "("
    if (pos_ < p_.size() && (p_[pos_] == '*' || p_[pos_] == '?')) {
      if (p_.compare(pos_, 2, "?:") != 0) return false;
      pos_ += 2;
    }
    if (!Sequence(depth + 1) || pos_ >= p_.size() || p_[pos_] != ')') return false;
    ++pos_;
    return true;
  }

  bool Class() {
    ++pos_;  // "["
    if (pos_ < p_.size() && p_[pos_] == '^') ++pos_;
    if (pos_ < p_.size() && p_[pos_] == ']') return false;
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

  bool Quantifier(bool* quantified) {
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
    *quantified = true;
    if (pos_ < p_.size() && (p_[pos_] == '?' || p_[pos_] == '+')) ++pos_;
    if (pos_ < p_.size() && OneOf(p_[pos_], "*+?{")) return false;
    return true;
  }

  void Cut() {
    if (run_.size() > best_.size()) best_ = run_;
    run_.clear();
  }

  const std::string& p_;
  size_t pos_ = 0;
  std::string run_, best_;
};

}  // namespace

std::string RequiredLiteral(const std::string& pattern) { return LiteralParser(pattern).Run(); }

LiteralPrefilter::LiteralPrefilter(const std::vector<std::string>& literals) {
  // Literal texts, each once, with the patterns that require them.
  std::unordered_map<std::string, uint32_t> ids;
  std::vector<const std::string*> texts;
  for (uint32_t index = 0; index < literals.size(); ++index) {
    if (literals[index].empty()) {
      always_.push_back(index);
      continue;
    }
    auto inserted = ids.emplace(literals[index], static_cast<uint32_t>(texts.size()));
    if (inserted.second) {
      texts.push_back(&inserted.first->first);
      literalPatterns_.emplace_back();
    }
    literalPatterns_[inserted.first->second].push_back(index);
  }

  // The trie, with ordered children while it is built.
  std::vector<std::map<unsigned char, int32_t>> children(1);
  std::vector<int32_t> literal_at(1, -1);
  for (uint32_t id = 0; id < texts.size(); ++id) {
    int32_t state = 0;
    for (unsigned char byte : *texts[id]) {
      auto found = children[state].find(byte);
      if (found == children[state].end()) {
        int32_t created = static_cast<int32_t>(children.size());
        children[state][byte] = created;
        children.emplace_back();
        literal_at.push_back(-1);
        state = created;
      } else {
        state = found->second;
      }
    }
    literal_at[state] = static_cast<int32_t>(id);
  }

  nodes_.resize(children.size());
  for (size_t state = 0; state < children.size(); ++state) {
    nodes_[state].literal = literal_at[state];
    nodes_[state].firstEdge = static_cast<uint32_t>(edges_.size());
    nodes_[state].edgeCount = static_cast<uint32_t>(children[state].size());
    for (const auto& child : children[state]) edges_.push_back({child.first, child.second});
  }
  for (int byte = 0; byte < 256; ++byte) {
    auto found = children[0].find(static_cast<unsigned char>(byte));
    rootNext_[byte] = found == children[0].end() ? 0 : found->second;
  }

  // Failure and output links, breadth first.
  std::deque<int32_t> queue;
  for (const auto& child : children[0]) {
    nodes_[child.second].fail = 0;
    queue.push_back(child.second);
  }
  nodes_[0].output = -1;
  while (!queue.empty()) {
    int32_t state = queue.front();
    queue.pop_front();
    Node& node = nodes_[state];
    int32_t fail_output = node.fail == 0 ? -1 : nodes_[node.fail].output;
    node.output = node.literal >= 0 ? state : fail_output;
    for (const auto& child : children[state]) {
      int32_t fallback = node.fail;
      int32_t target;
      for (;;) {
        target = fallback == 0 ? rootNext_[child.first] : -1;
        if (fallback != 0) {
          const Node& f = nodes_[fallback];
          for (uint32_t e = 0; e < f.edgeCount; ++e) {
            if (edges_[f.firstEdge + e].byte == child.first) target = edges_[f.firstEdge + e].target;
          }
        }
        if (target >= 0 || fallback == 0) break;
        fallback = nodes_[fallback].fail;
      }
      nodes_[child.second].fail = target < 0 ? 0 : target;
      queue.push_back(child.second);
    }
  }
}

int32_t LiteralPrefilter::Next(int32_t state, unsigned char byte) const {
  while (state != 0) {
    const Node& node = nodes_[state];
    const Edge* first = edges_.data() + node.firstEdge;
    const Edge* last = first + node.edgeCount;
    const Edge* found = std::lower_bound(
        first, last, byte, [](const Edge& edge, unsigned char b) { return edge.byte < b; });
    if (found != last && found->byte == byte) return found->target;
    state = node.fail;
  }
  return rootNext_[byte];
}

void LiteralPrefilter::Candidates(const std::string& text, std::vector<uint32_t>* out) const {
  out->clear();
  int32_t state = 0;
  for (unsigned char byte : text) {
    state = Next(state, byte);
    for (int32_t hit = nodes_[state].output; hit >= 0; hit = nodes_[nodes_[hit].fail].output) {
      const auto& patterns = literalPatterns_[nodes_[hit].literal];
      out->insert(out->end(), patterns.begin(), patterns.end());
    }
  }
  if (!out->empty()) {
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
  }
  if (!always_.empty()) {
    std::vector<uint32_t> merged;
    merged.reserve(out->size() + always_.size());
    std::merge(out->begin(), out->end(), always_.begin(), always_.end(),
               std::back_inserter(merged));
    out->swap(merged);
  }
}

}  // namespace sendwarden
