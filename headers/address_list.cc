#include "headers/address_list.h"

#include <boost/tokenizer.hpp>

namespace sendwarden {

void TrimBlanks(std::string& text) {
  static const char kBlanks[] = " \t";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  size_t last = text.find_last_not_of(kBlanks);
  if (first == 0 && last == text.size() - 1) return;
  text = text.substr(first, last - first + 1);
}

void SplitAddressList(const std::string& value, AddressPieces& pieces) {
  pieces.clear();
  using Separator = boost::escaped_list_separator<char>;
  boost::tokenizer<Separator> tokens(value, Separator('\\', ',', '"'));
  for (auto it = tokens.begin(); it != tokens.end(); ++it) {
    std::string piece = *it;
    TrimBlanks(piece);
    pieces.push_back(std::move(piece));
  }
}

}  // namespace sendwarden
