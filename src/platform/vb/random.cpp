#include "platform/vb/random.h"

#include <array>
#include <random>

namespace vb {
namespace {

std::mt19937_64 Seeded() {
  std::random_device device;
  std::array<std::seed_seq::result_type, 8> words;
  for (auto& w : words) w = device();
  std::seed_seq seed(words.begin(), words.end());
  return std::mt19937_64(seed);
}

std::mt19937_64& Generator() {
  thread_local std::mt19937_64 generator = Seeded();
  return generator;
}

}  // namespace

double Rnd() {
  // The top 53 bits make every double of [0, 1) on a 2^-53 grid equally likely.
  return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

void Randomize() { Generator() = Seeded(); }

}  // namespace vb
