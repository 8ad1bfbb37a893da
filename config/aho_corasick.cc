#include "config/aho_corasick.h"

#include <algorithm>
#include <deque>
#include <map>

namespace sendwarden {

AhoCorasick::AhoCorasick(const std::vector<const std::string*>& words) {
  // The trie, with ordered children while it is built.
  std::vector<std::map<unsigned char, int32_t>> children(1);
  std::vector<int32_t> word_at(1, -1);
  for (uint32_t id = 0; id < words.size(); ++id) {
    int32_t state = 0;
    for (unsigned char byte : *words[id]) {
      auto found = children[state].find(byte);
      if (found == children[state].end()) {
        int32_t created = static_cast<int32_t>(children.size());
        children[state][byte] = created;
        children.emplace_back();
        word_at.push_back(-1);
        state = created;
      } else {
        state = found->second;
      }
    }
    word_at[state] = static_cast<int32_t>(id);
  }

  nodes_.resize(children.size());
  for (size_t state = 0; state < children.size(); ++state) {
    nodes_[state].word = word_at[state];
    nodes_[state].firstEdge = static_cast<uint32_t>(edges_.size());
    nodes_[state].edgeCount = static_cast<uint32_t>(children[state].size());
    for (const auto& child : children[state]) edges_.push_back({child.first, child.second});
  }
  for (int byte = 0; byte < 256; ++byte) {
    auto found = children[0].find(static_cast<unsigned char>(byte));
    rootNext_[byte] = found == children[0].end() ? 0 : found->second;
  }

  // Fail and output links, breadth first: a node's fail link is where its
  // parent's fail state goes on the same byte, and that state is shallower,
  // so its own links are final by then.
  std::deque<int32_t> queue(1, 0);
  while (!queue.empty()) {
    int32_t state = queue.front();
    queue.pop_front();
    Node& node = nodes_[state];
    node.output = node.word >= 0 ? state : (state == 0 ? -1 : nodes_[node.fail].output);
    for (const auto& child : children[state]) {
      nodes_[child.second].fail = state == 0 ? 0 : Next(node.fail, child.first);
      queue.push_back(child.second);
    }
  }
}

int32_t AhoCorasick::Next(int32_t state, unsigned char byte) const {
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

void AhoCorasick::Matches(std::string_view text, std::vector<uint32_t>* ids) const {
  int32_t state = 0;
  for (unsigned char byte : text) {
    state = Next(state, byte);
    for (int32_t hit = nodes_[state].output; hit >= 0; hit = nodes_[nodes_[hit].fail].output) {
      ids->push_back(static_cast<uint32_t>(nodes_[hit].word));
    }
  }
}

}  // namespace sendwarden
