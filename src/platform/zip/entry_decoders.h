#pragma once
// Decoding an entry's stored bytes (after any decryption) for the methods
// that this reader decodes itself: deflate through zlib (libzip checks the
// CRC of AES entries, whose CRC the AE-2 form leaves 0), Deflate64, and
// LZMA through liblzma.
#include <cstdint>
#include <optional>

#include "platform/zip/inflate64.h"

namespace ziparc {

enum ZipMethod : int32_t { kStored = 0, kDeflated = 8, kDeflate64 = 9, kLzma = 14 };

bool DecodesMethod(int32_t method);

// The entry's bytes from its stored bytes. Broken data, more or fewer bytes
// than `size`, or a CRC-32 other than `crc` (when given) fail the read.
ByteSource DecodedEntry(int32_t method, ByteSource stored, uint64_t size, std::optional<uint32_t> crc);

}  // namespace ziparc
