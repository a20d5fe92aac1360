#include "platform/zip/inflate64.h"

#include <array>

namespace ziparc {

namespace {

constexpr int kMaxBits = 15;
constexpr size_t kWindowSize = 65536;
constexpr size_t kInputSize = 64 * 1024;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 3};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
constexpr std::array<uint32_t, 32> kDistanceBase = {
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,    33,   49,   65,    97,    129,   193,
    257,  385,  513,  769,  1025, 1537,  2049,  3073,  4097,  6145,  8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<uint8_t, 32> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3, 4,  4,  5,  5,  6,  6,
                                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct BrokenData {};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
  std::array<uint16_t, kMaxBits + 1> count{};
  std::vector<uint16_t> symbol;

  void Build(const uint8_t* lengths, size_t n) {
    count.fill(0);
    for (size_t i = 0; i < n; ++i) ++count[lengths[i]];
    int left = 1;
    for (int length = 1; length <= kMaxBits; ++length) {
      left = (left << 1) - count[length];
      if (left < 0) throw BrokenData{};  // more codes than the lengths allow
    }
    std::array<uint16_t, kMaxBits + 1> offset{};
    for (int length = 1; length < kMaxBits; ++length) offset[length + 1] = offset[length] + count[length];
    symbol.assign(n, 0);
    for (size_t i = 0; i < n; ++i) {
      if (lengths[i] != 0) symbol[offset[lengths[i]]++] = static_cast<uint16_t>(i);
    }
  }
};

}  // namespace

struct Inflate64::State {
  enum class Phase { kHeader, kStored, kCodes, kEnd, kBroken };

  ByteSource source;
  std::vector<char> input = std::vector<char>(kInputSize);
  size_t input_at = 0, input_end = 0;
  uint32_t bits = 0;
  int bit_count = 0;

  std::vector<uint8_t> window = std::vector<uint8_t>(kWindowSize);
  size_t window_at = 0;
  uint64_t total = 0;

  Phase phase = Phase::kHeader;
  bool last_block = false;
  uint32_t stored_left = 0;
  uint32_t copy_left = 0, copy_distance = 0;
  Huffman lengths, distances;

  uint8_t NextByte() {
    if (input_at == input_end) {
      int64_t got = source(input.data(), input.size());
      if (got <= 0) throw BrokenData{};  // the stream ends inside a block
      input_at = 0;
      input_end = static_cast<size_t>(got);
    }
    return static_cast<uint8_t>(input[input_at++]);
  }

  uint32_t Bits(int need) {
    uint64_t value = bits;
    int have = bit_count;
    while (have < need) {
      value |= uint64_t{NextByte()} << have;
      have += 8;
    }
    bits = static_cast<uint32_t>(value >> need);
    bit_count = have - need;
    return static_cast<uint32_t>(value & ((uint64_t{1} << need) - 1));
  }

  int Decode(const Huffman& code) {
    int value = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
      value |= static_cast<int>(Bits(1));
      int count = code.count[length];
      if (value - count < first) return code.symbol[static_cast<size_t>(index + (value - first))];
      index += count;
      first = (first + count) << 1;
      value <<= 1;
    }
    throw BrokenData{};  // a code the table does not have
  }

  void Put(uint8_t byte, char* out, size_t& produced) {
    out[produced++] = static_cast<char>(byte);
    window[window_at] = byte;
    window_at = (window_at + 1) & (kWindowSize - 1);
    ++total;
  }

  void FixedCodes() {
    std::array<uint8_t, 288> length_bits{};
    for (size_t i = 0; i < 288; ++i) length_bits[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    lengths.Build(length_bits.data(), length_bits.size());
    std::array<uint8_t, 32> distance_bits;
    distance_bits.fill(5);
    distances.Build(distance_bits.data(), distance_bits.size());
  }

  void DynamicCodes() {
    size_t length_count = Bits(5) + 257, distance_count = Bits(5) + 1, code_count = Bits(4) + 4;
    if (length_count > 286) throw BrokenData{};
    std::array<uint8_t, 19> code_bits{};
    for (size_t i = 0; i < code_count; ++i) code_bits[kCodeLengthOrder[i]] = static_cast<uint8_t>(Bits(3));
    Huffman code_lengths;
    code_lengths.Build(code_bits.data(), code_bits.size());
    std::array<uint8_t, 286 + 32> all{};
    size_t at = 0;
    while (at < length_count + distance_count) {
      int symbol = Decode(code_lengths);
      if (symbol < 16) {
        all[at++] = static_cast<uint8_t>(symbol);
        continue;
      }
      uint8_t repeated = 0;
      size_t times;
      if (symbol == 16) {
        if (at == 0) throw BrokenData{};
        repeated = all[at - 1];
        times = 3 + Bits(2);
      } else {
        times = symbol == 17 ? 3 + Bits(3) : 11 + Bits(7);
      }
      if (at + times > length_count + distance_count) throw BrokenData{};
      while (times--) all[at++] = repeated;
    }
    if (all[256] == 0) throw BrokenData{};  // no end-of-block code
    lengths.Build(all.data(), length_count);
    distances.Build(all.data() + length_count, distance_count);
  }

  void BlockHeader() {
    last_block = Bits(1) == 1;
    switch (Bits(2)) {
      case 0: {
        bits = 0;  // a stored block starts at a byte
        bit_count = 0;
        uint32_t length = NextByte() | uint32_t{NextByte()} << 8;
        uint32_t check = NextByte() | uint32_t{NextByte()} << 8;
        if (length != (~check & 0xFFFF)) throw BrokenData{};
        stored_left = length;
        phase = Phase::kStored;
        return;
      }
      case 1: FixedCodes(); break;
      case 2: DynamicCodes(); break;
      default: throw BrokenData{};
    }
    phase = Phase::kCodes;
  }

  void EndBlock() { phase = last_block ? Phase::kEnd : Phase::kHeader; }

  // One step: a symbol, a header, or as much of a pending copy as fits.
  void Step(char* out, size_t size, size_t& produced) {
    if (copy_left > 0) {
      while (copy_left > 0 && produced < size) {
        Put(window[(window_at + kWindowSize - copy_distance) & (kWindowSize - 1)], out, produced);
        --copy_left;
      }
      return;
    }
    switch (phase) {
      case Phase::kHeader: BlockHeader(); return;
      case Phase::kStored:
        if (stored_left == 0) return EndBlock();
        Put(NextByte(), out, produced);
        --stored_left;
        return;
      case Phase::kCodes: {
        int symbol = Decode(lengths);
        if (symbol < 256) return Put(static_cast<uint8_t>(symbol), out, produced);
        if (symbol == 256) return EndBlock();
        size_t index = static_cast<size_t>(symbol - 257);
        if (index >= kLengthBase.size()) throw BrokenData{};
        uint32_t length = kLengthBase[index] + Bits(kLengthExtra[index]);
        int distance_symbol = Decode(distances);
        if (distance_symbol >= 32) throw BrokenData{};
        uint32_t distance = kDistanceBase[static_cast<size_t>(distance_symbol)] +
                            Bits(kDistanceExtra[static_cast<size_t>(distance_symbol)]);
        if (distance > total || distance > kWindowSize) throw BrokenData{};  // before the stream's start
        copy_left = length;
        copy_distance = distance;
        return;
      }
      case Phase::kEnd:
      case Phase::kBroken: return;
    }
  }
};

Inflate64::Inflate64(ByteSource compressed) : state_(std::make_unique<State>()) {
  state_->source = std::move(compressed);
}

Inflate64::~Inflate64() = default;

int64_t Inflate64::Read(char* out, size_t size) {
  State& s = *state_;
  size_t produced = 0;
  try {
    while (produced < size && s.phase != State::Phase::kEnd && s.phase != State::Phase::kBroken) {
      s.Step(out, size, produced);
    }
  } catch (const BrokenData&) {
    s.phase = State::Phase::kBroken;
  }
  if (s.phase == State::Phase::kBroken) return -1;
  return static_cast<int64_t>(produced);
}

}  // namespace ziparc
