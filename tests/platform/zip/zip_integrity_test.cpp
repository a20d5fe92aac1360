// What 7-Zip writes with a password, or with dictionaries and models larger
// than a decoder may take: a damaged entry fails as a wrong password would,
// an oversized one as broken data, and neither leaves anything behind.
#include <gtest/gtest.h>
#include <lzma.h>

#include <random>

#include "platform/zip/staged_extraction.h"
#include "platform/zip/zip_results.h"
#include "support/archive_bytes.h"
#include "support/file_content.h"
#include "support/run_command.h"
#include "support/temp_site.h"
#include "support/zip_unpack.h"

namespace {

namespace stdfs = std::filesystem;
using namespace ziparc;
using qe_test::RunCommand;
using qe_test::ShellQuoted;

// Text that compresses, and differs along its length.
std::string Text(size_t size) {
  std::string text;
  for (uint32_t line = 0; text.size() < size; ++line) text += "line " + std::to_string(line * 7919 % 1000) + " of the notice\n";
  return text.substr(0, size);
}

class ZipIntegrityTest : public testing::Test {
 protected:
  void SetUp() override {
    if (RunCommand("command -v 7z >/dev/null 2>&1").status != 0) GTEST_SKIP() << "7z is not installed";
  }
  void TearDown() override { SetLimits({}); }

  // One file, a.txt, packed by 7z with `options` into the archive's bytes.
  std::string SevenZip(const std::string& content, const std::string& options) {
    site_.WriteFile("src/a.txt", content);
    stdfs::remove(site_.Host("in.zip"));
    std::string command = "cd " + ShellQuoted(site_.Host("src").string()) + " && 7z a -tzip " + options + " ../in.zip a.txt";
    EXPECT_EQ(RunCommand(command + " >/dev/null 2>&1").status, 0) << command;
    return qe_test::FileContent(site_.Host("in.zip"));
  }
  ZipResult Unpack(const std::string& archive, vb::StringView password = u"") {
    site_.WriteFile("in.zip", archive);
    stdfs::remove_all(site_.Host("out"));
    return qe_test::UnpackArchive(u"C:\\in.zip", u"C:\\out", password);
  }
  bool Unpacked() { return stdfs::exists(site_.Host("out")); }

  qe_test::TempSite site_;
};

// Where the one entry's stored data begin in the archive, and their size.
std::pair<size_t, size_t> EntryData(const std::string& archive) {
  size_t start = 30 + qe_test::Get16(archive, 26) + qe_test::Get16(archive, 28);
  size_t directory = archive.rfind(std::string_view("PK\x01\x02", 4));
  return {start, qe_test::Get32(archive, directory + 20)};
}

TEST_F(ZipIntegrityTest, AesEntriesUnpackWholeAndAnyFlippedBitFailsLikeAWrongPassword) {
  const std::string content = Text(6000);
  struct Case {
    const char* options;
    size_t salt;  // bytes before the encrypted data: salt and password check
  };
  for (const Case& c : {Case{"-mem=AES256 -m0=deflate", 18}, Case{"-mem=AES256 -m0=deflate64", 18},
                        Case{"-mem=AES256 -m0=lzma", 18}, Case{"-mem=AES256 -mm=Copy", 18},
                        Case{"-mem=AES128 -mm=Copy", 10}}) {
    SCOPED_TRACE(c.options);
    const std::string archive = SevenZip(content, std::string(c.options) + " -ppw");
    ASSERT_EQ(Unpack(archive, u"pw"), kZipSuccess);
    EXPECT_EQ(qe_test::FileContent(site_.Host("out/a.txt")), content);
    // The encrypted data and the authentication code after them.
    auto [start, size] = EntryData(archive);
    const size_t first = start + c.salt, span = size - c.salt;
    int passed = 0;
    for (size_t i = 0; i < 100; ++i) {
      std::string broken = archive;
      broken[first + i * span / 100] ^= static_cast<char>(1 << i % 8);
      ZipResult result = Unpack(broken, u"pw");
      if (result != kZipPassword || Unpacked()) ++passed;
    }
    EXPECT_EQ(passed, 0);
  }
}

TEST_F(ZipIntegrityTest, DecodersNeedingMoreMemoryThanTheLimitFailAsBrokenData) {
  // 7z fits the dictionary to the file: 3 MiB of text needs more than 1 MiB.
  const std::string content = Text(3 << 20);
  for (const char* options : {"-m0=lzma", "-m0=xz", "-m0=ppmd:mem=16m", "-m0=lzma -mem=AES256 -ppw"}) {
    SCOPED_TRACE(options);
    const std::string archive = SevenZip(content, options);
    SetLimits({.decoder_memory = 1 << 20, .ppmd_model_memory = 1 << 20});
    EXPECT_EQ(Unpack(archive, u"pw"), kZipDamaged);
    EXPECT_FALSE(Unpacked());
    SetLimits({});
    EXPECT_EQ(Unpack(archive, u"pw"), kZipSuccess);
  }
}

TEST_F(ZipIntegrityTest, WhatSevenZipsHighestPpmdLevelWritesUnpacks) {
  const std::string content = Text((8 << 20) + 4096);
  const std::string archive = SevenZip(content, "-mm=PPMd -mx=9");
  // Bits 4 to 11 of the first two bytes: the model's size in MiB, less one.
  EXPECT_EQ((qe_test::Get16(archive, EntryData(archive).first) >> 4 & 0xFF) + 1, 256);
  ASSERT_EQ(Unpack(archive), kZipSuccess);
  EXPECT_EQ(qe_test::FileContent(site_.Host("out/a.txt")), content);
}

// Headers that declare the first 1,000 bytes of a longer stream, with their
// CRC: whatever the method, the entry is broken, as 7z and bsdtar find.
TEST_F(ZipIntegrityTest, AStreamRunningPastItsDeclaredSizeIsBroken) {
  const std::string content = Text(3000);
  const uint32_t crc = qe_test::Crc32(std::string_view(content).substr(0, 1000));
  for (const char* method : {"-mm=Copy", "-m0=deflate", "-m0=deflate64", "-m0=bzip2", "-m0=lzma", "-m0=xz", "-m0=ppmd"}) {
    SCOPED_TRACE(method);
    std::string archive = SevenZip(content, method);
    const size_t central = archive.rfind(std::string_view("PK\x01\x02", 4));
    auto put32 = [&](size_t at, uint32_t value) {
      std::string bytes;
      qe_test::Put32(bytes, value);
      archive.replace(at, 4, bytes);
    };
    for (size_t at : {size_t{14}, central + 16}) put32(at, crc);
    for (size_t at : {size_t{22}, central + 24}) put32(at, 1000);
    EXPECT_EQ(Unpack(archive), kZipDamaged);
    EXPECT_FALSE(Unpacked());
  }
}

// A zip LZMA entry as 7-Zip stores one: its version, the properties' size
// and the properties, then raw LZMA data ending at the declared size with
// no end marker.
std::string LzmaEntryData(const std::string& content) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 6);
  options.dict_size = 1 << 16;
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  uint8_t properties[5];
  if (lzma_properties_encode(filters, properties) != LZMA_OK) return {};
  filters[0].id = LZMA_FILTER_LZMA1EXT;
  options.ext_flags = 0;
  lzma_set_ext_size(options, content.size());
  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_encoder(&stream, filters) != LZMA_OK) return {};
  std::string data(content.size() + 4096, '\0');
  stream.next_in = reinterpret_cast<const uint8_t*>(content.data());
  stream.avail_in = content.size();
  stream.next_out = reinterpret_cast<uint8_t*>(data.data());
  stream.avail_out = data.size();
  const bool ended = lzma_code(&stream, LZMA_FINISH) == LZMA_STREAM_END;
  data.resize(data.size() - stream.avail_out);
  lzma_end(&stream);
  if (!ended) return {};
  return std::string("\x09\x14\x05\x00", 4) + std::string(reinterpret_cast<char*>(properties), 5) + data;
}

// The decoder reads stored data in 64 KiB blocks: a stream that ends exactly
// where a block does leaves nothing unread in that block, and the bytes past
// its end arrive only with the next read. They are still more data than
// declared.
TEST_F(ZipIntegrityTest, BytesAfterAnLzmaStreamEndingAtAReadBlocksEndMakeItBroken) {
  constexpr size_t kBlock = 64 * 1024;
  std::mt19937 random(7);
  std::string noise(kBlock + 8192, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string content, data;
  for (size_t size = kBlock - 1024, tries = 0; tries < 40 && data.size() != kBlock; ++tries) {
    content = noise.substr(0, size);
    data = LzmaEntryData(content);
    ASSERT_FALSE(data.empty());
    size += kBlock - data.size();
  }
  ASSERT_EQ(data.size(), kBlock) << "no content whose entry fills one block";
  struct Case {
    size_t extra;
    ZipResult result;
  };
  for (const Case& c : {Case{0, kZipSuccess}, Case{16, kZipDamaged}}) {
    SCOPED_TRACE(c.extra);
    qe_test::RawZipEntry entry{"a.txt", data + std::string(c.extra, 'x'), 0, 14};
    entry.crc = qe_test::Crc32(content);
    entry.size = static_cast<uint32_t>(content.size());
    EXPECT_EQ(Unpack(qe_test::ZipBytes({entry})), c.result);
    if (c.result == kZipSuccess) EXPECT_EQ(qe_test::FileContent(site_.Host("out/a.txt")), content);
    else EXPECT_FALSE(Unpacked());
  }
}

TEST_F(ZipIntegrityTest, AnLzmaDictionaryLargerThanItsEntryIsNotTakenInFull) {
  const std::string content = Text(3000);
  std::string archive = SevenZip(content, "-m0=lzma");
  // After the version and the properties' size: lc/lp/pb, then the dictionary size.
  auto [start, size] = EntryData(archive);
  for (size_t i = 5; i < 9; ++i) archive[start + i] = '\xFF';
  SetLimits({.decoder_memory = 1 << 20});
  ASSERT_EQ(Unpack(archive), kZipSuccess);
  EXPECT_EQ(qe_test::FileContent(site_.Host("out/a.txt")), content);
}

TEST_F(ZipIntegrityTest, AnLzmaEntryWhosePropertiesAreNotFiveBytesIsBroken) {
  std::string archive = SevenZip(Text(3000), "-m0=lzma");
  auto [start, size] = EntryData(archive);
  ASSERT_EQ(archive[start + 2], 5);
  archive[start + 2] = 7;
  EXPECT_EQ(Unpack(archive), kZipDamaged);
  EXPECT_FALSE(Unpacked());
}

}  // namespace
