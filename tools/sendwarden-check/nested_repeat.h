// Finds the repeats whose search costs the engine most: a repeated group
// that can share the same text between its turns in many ways, as
// "(\w+\.?)+" can ("abc" is one turn, or "ab" and "c", or "a", "b" and "c").
// A recipient such a pattern does not allow can take the engine millions of
// steps before it gives up: a slow send, then a refusal. Lint calls it an
// error and offers one class with one repeat in its place.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_NESTED_REPEAT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_NESTED_REPEAT_H_

#include <cstddef>
#include <optional>
#include <string>

namespace sendwarden_checker {

struct NestedRepeat {
  size_t begin = 0, end = 0;  // the repeated group with its quantifier
  std::string rewrite;        // what matches the same, in one repeat; "" when none is offered
};

// The first such repeat in `pattern` (read by the one reader of pattern
// syntax), or nothing. A group repeated without bound (*, +, {n,}), neither
// atomic nor possessive, is one when a branch of it ends in a repeat without
// bound that can take a byte the group can begin with, or when two of its
// branches can begin with the same byte. Sets of bytes are taken wide where
// they are not known (a "." is every byte), so it may name a few that are
// harmless, never miss one of these two forms.
std::optional<NestedRepeat> FindNestedRepeat(const std::string& pattern);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_NESTED_REPEAT_H_
