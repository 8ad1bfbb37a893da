// Finds every occurrence of a set of byte strings in a text in one pass:
// an Aho-Corasick automaton, kept in flat arrays once built.
#ifndef SENDWARDEN_CONFIG_AHO_CORASICK_H_
#define SENDWARDEN_CONFIG_AHO_CORASICK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sendwarden {

class AhoCorasick {
 public:
  // `words` are non-empty and distinct; a word's id is its index.
  explicit AhoCorasick(const std::vector<const std::string*>& words);

  // Appends to `ids` the id of every word that occurs in `text`, once per
  // occurrence, in the order the occurrences end.
  void Matches(std::string_view text, std::vector<uint32_t>* ids) const;

 private:
  struct Node {
    int32_t fail = 0;
    int32_t output = -1;     // nearest node on the fail chain (or self) that ends a word
    int32_t word = -1;       // id of the word ending here
    uint32_t firstEdge = 0;  // into edges_, sorted by byte
    uint32_t edgeCount = 0;
  };
  struct Edge {
    unsigned char byte;
    int32_t target;
  };

  // The state after reading `byte` in `state`, following fail links.
  int32_t Next(int32_t state, unsigned char byte) const;

  std::vector<Node> nodes_;
  std::vector<Edge> edges_;
  int32_t rootNext_[256];
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_AHO_CORASICK_H_
