// The one source of random choices in the generated tests. Seeded, so a
// failing case comes back on every run; and the same on both targets:
// std::mt19937 is fixed to the bit, the library's distributions are not.
#ifndef SENDWARDEN_TESTS_RANDOM_PICKER_H_
#define SENDWARDEN_TESTS_RANDOM_PICKER_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace sendwarden {
namespace testing {

class RandomPicker {
 public:
  explicit RandomPicker(uint32_t seed) : random_(seed) {}

  // A number in [0, n), n > 0.
  int Below(size_t n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

  // Fewer than `most` picks from `pieces`, joined; as often none as any other count.
  template <size_t N>
  std::string Joined(const char* const (&pieces)[N], int most) {
    std::string text;
    for (int i = 0, n = Below(most); i < n; ++i) text += Pick(pieces);
    return text;
  }

 private:
  std::mt19937 random_;
};

}  // namespace testing
}  // namespace sendwarden

#endif  // SENDWARDEN_TESTS_RANDOM_PICKER_H_
