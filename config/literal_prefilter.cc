#include "config/literal_prefilter.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_map>

namespace sendwarden {

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Escapes that match exactly one class of characters or nothing (zero
// width): they end a literal but are otherwise harmless.
bool IsClassOrAssertionEscape(char c) { return std::strchr("dDwWsSbBAzZG<>`'", c) != nullptr; }

// Index just past the group that opens at `open` ('('), or npos when it does
// not close. Classes and escapes inside are skipped.
size_t SkipGroup(const std::string& p, size_t open);

// Index just past the class that opens at `open` ('['), or npos.
size_t SkipClass(const std::string& p, size_t open) {
  size_t i = open + 1;
  if (i < p.size() && p[i] == '^') ++i;
  if (i < p.size() && p[i] == ']') ++i;  // a leading ']' is a member
  while (i < p.size()) {
    if (p[i] == '\\') {
      i += 2;
    } else if (p[i] == '[' && i + 1 < p.size() && std::strchr(":.=", p[i + 1])) {
      size_t end = p.find(std::string(1, p[i + 1]) + "]", i + 2);
      if (end == std::string::npos) return std::string::npos;
      i = end + 2;
    } else if (p[i] == ']') {
      return i + 1;
    } else {
      ++i;
    }
  }
  return std::string::npos;
}

size_t SkipGroup(const std::string& p, size_t open) {
  size_t i = open + 1;
  while (i < p.size()) {
    char c = p[i];
    if (c == '\\') {
      i += 2;
    } else if (c == '[') {
      i = SkipClass(p, i);
      if (i == std::string::npos) return i;
    } else if (c == '(') {
      i = SkipGroup(p, i);
      if (i == std::string::npos) return i;
    } else if (c == ')') {
      return i + 1;
    } else {
      ++i;
    }
  }
  return std::string::npos;
}

}  // namespace

std::string RequiredLiteral(const std::string& p) {
  std::string best, run;
  auto cut = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  size_t i = 0;
  while (i < p.size()) {
    char c = p[i];
    // What one atom contributes: a literal byte, or nothing but a cut.
    bool literal = false;
    char byte = 0;
    size_t next;
    if (c == '\\') {
      if (i + 1 >= p.size()) return "";
      char e = p[i + 1];
      if (e > 0x20 && e < 0x7F && !IsAsciiAlnum(e)) {
        literal = true;  // an escaped punctuation byte stands for itself
        byte = e;
      } else if (!IsClassOrAssertionEscape(e)) {
        return "";  // \x, \Q, back-references, \p...: not modelled
      }
      next = i + 2;
    } else if (c == '[') {
      next = SkipClass(p, i);
      if (next == std::string::npos) return "";
    } else if (c == '(') {
      // Groups are opaque; only plain and non-capturing ones are allowed,
      // since inline flags would change how the rest is read.
      // Verbs such as (*ACCEPT) can end a match early: give up on them too.
      if (i + 1 < p.size() && p[i + 1] == '?' && !(i + 2 < p.size() && p[i + 2] == ':')) {
        return "";
      }
      if (i + 1 < p.size() && p[i + 1] == '*') return "";
      next = SkipGroup(p, i);
      if (next == std::string::npos) return "";
    } else if (c == '|' || c == ')' || c == '*' || c == '+' || c == '?' || c == '{') {
      return "";  // alternation, or a quantifier with nothing to act on
    } else if (c == '.' || c == '^' || c == '$') {
      next = i + 1;
    } else {
      literal = true;
      byte = c;
      next = i + 1;
    }

    // A quantifier makes the atom optional or repeated: leave it out.
    bool quantified = false;
    if (next < p.size() && (p[next] == '*' || p[next] == '+' || p[next] == '?')) {
      quantified = true;
      ++next;
    } else if (next < p.size() && p[next] == '{') {
      size_t close = p.find('}', next);
      if (close == std::string::npos) return "";
      quantified = true;
      next = close + 1;
    }
    if (quantified && next < p.size() && (p[next] == '?' || p[next] == '+')) ++next;
    if (quantified && next < p.size() &&
        (p[next] == '*' || p[next] == '+' || p[next] == '?' || p[next] == '{')) {
      return "";
    }

    if (literal && !quantified) {
      run += byte;
    } else {
      cut();
    }
    i = next;
  }
  cut();
  return best;
}

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
