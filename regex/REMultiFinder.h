#pragma once
// Finding the first of up to eight byte strings at once (the "Teddy" method
// of Hyperscan): each string has a bucket bit; two 16-entry tables per
// leading byte, indexed by the byte's low and high nibble, give the buckets
// whose string may have that byte there. With AVX2, 32 positions are
// checked per step with shuffles and ands over the first three bytes, and
// only positions whose buckets survive are compared whole. Without AVX2 a
// table of first bytes does the same one position at a time.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace navirt {

class TREMultiFinder {
 public:
  static constexpr size_t kMaxStrings = 8;

  // Strings: 1 to kMaxStrings, none empty.
  explicit TREMultiFinder(std::vector<std::string> strings);

  size_t MaxLength() const { return maxLength_; }
  // The first position in [p, end) where one of the strings begins and
  // fits before end, or nullptr.
  const char* Find(const char* p, const char* end) const { return avx2_ ? FindAvx2(p, end) : FindScalar(p, end); }
  // The plain search (tests compare against it).
  const char* FindScalar(const char* p, const char* end) const;

 private:
  const char* FindAvx2(const char* p, const char* end) const;
  // Whether string i of bucket bits begins at p (p + its length <= end).
  const char* Verify(const char* p, const char* end, unsigned buckets) const {
    while (buckets) {
      const int i = __builtin_ctz(buckets);
      buckets &= buckets - 1;
      const std::string& s = strings_[size_t(i)];
      if (size_t(end - p) >= s.size() && std::memcmp(p, s.data(), s.size()) == 0) return p;
    }
    return nullptr;
  }

  std::vector<std::string> strings_;
  size_t minLength_ = 0, maxLength_ = 0;
  size_t fingerprint_ = 1;  // leading bytes the tables look at (1..3)
  bool avx2_ = false;
  uint8_t first_[256] = {};                              // buckets by first byte
  alignas(32) uint8_t lo_[3][32] = {}, hi_[3][32] = {};  // nibble tables, twice for the two lanes
};

}  // namespace navirt
