#include "message/address_list.h"

#include <boost/tokenizer.hpp>

#include "base/ascii.h"

namespace sendwarden {

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
