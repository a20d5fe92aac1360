#pragma once
// "ADODB.Stream": a buffer of bytes read and written as binary data or as text
// in a named character set, loaded from and saved to files.
//
//   stream::Stream s;
//   s.Type(stream::adTypeText);
//   s.Charset(u"utf-8");
//   s.Open();
//   s.WriteText(u"中文");          // EF BB BF E4 B8 AD E6 96 87
//   s.SaveToFile(u"C:\\site\\a.txt", stream::adSaveCreateOverWrite);
//
// Byte-order marks follow ADO: text written at position 0 in "utf-8" starts
// with EF BB BF, in "unicode" with FF FE (FE FF in "unicodeFFFE"); text read
// from position 0 skips such a mark. No other character set has one.
// Position and Size count bytes, in text streams too.
//
// Errors have ADO's numbers (source "ADODB.Stream"): 3001 bad argument,
// 3002 file could not be opened, 3004 write to file failed, 3219 not allowed
// in this context (binary reads of a text stream, writes to a read-only one),
// 3704 the stream is closed, 3705 the stream is open.
#include <cstdint>
#include <string>

#include "platform/com/object.h"

namespace text {
class Charset;
}

namespace stream {

using vb::String;
using vb::StringView;

enum StreamType : int32_t { adTypeBinary = 1, adTypeText = 2 };
enum ObjectState : int32_t { adStateClosed = 0, adStateOpen = 1 };
enum ConnectMode : int32_t { adModeUnknown = 0, adModeRead = 1, adModeWrite = 2, adModeReadWrite = 3 };
enum SaveOptions : int32_t { adSaveCreateNotExist = 1, adSaveCreateOverWrite = 2 };
enum StreamRead : int32_t { adReadAll = -1, adReadLine = -2 };
enum StreamWrite : int32_t { adWriteChar = 0, adWriteLine = 1 };
enum LineSeparator : int32_t { adCRLF = -1, adLF = 10, adCR = 13 };

class Stream : public com::Dispatch<Stream> {
 public:
  Stream();
  static const com::MemberTable<Stream>& Members();
  String TypeName() const override { return u"Stream"; }

  int32_t Type() const { return type_; }
  // 3001 for another value; 3219 when an open stream is not at position 0.
  void Type(int32_t type);
  int32_t Mode() const { return mode_; }
  void Mode(int32_t mode);  // 3705 while open
  const String& Charset() const { return charset_label_; }
  // 3001 for a set this platform does not know; 3219 when an open stream is
  // not at position 0.
  void Charset(StringView label);
  int32_t LineSeparator() const { return line_separator_; }
  void LineSeparator(int32_t separator);  // adCRLF, adLF or adCR; 3001 otherwise
  int32_t State() const { return open_ ? adStateOpen : adStateClosed; }

  int32_t Position() const;
  // Past the end, the stream grows with zero bytes (a read-only one does not).
  void Position(int32_t position);
  int32_t Size() const;
  bool EOS() const;

  void Open(int32_t mode = adModeUnknown);  // a stream in memory, empty
  void Close();
  void Flush() const {}

  // Binary streams: the bytes from the position on (all, or up to `count`);
  // Null at the end of the stream.
  vb::Variant Read(int32_t count = adReadAll);
  // Writes a byte array (3001 for anything else) at the position.
  void Write(const vb::Variant& bytes);

  // Text streams: characters from the position on (all, `count` of them, or
  // one line without its separator).
  String ReadText(int32_t count = adReadAll);
  void WriteText(StringView text, int32_t options = adWriteChar);
  void SkipLine();

  void SetEOS();  // the stream ends at the position
  // Copies from the position (all, or `count` bytes or, for text, characters)
  // to the other stream's position; text goes through both character sets.
  void CopyTo(Stream& destination, int32_t count = -1);
  // The whole file becomes the stream's content; the position goes to 0.
  void LoadFromFile(StringView path);
  // The whole stream into a file: a new one only, or with
  // adSaveCreateOverWrite any; the position goes to 0.
  void SaveToFile(StringView path, int32_t options = adSaveCreateNotExist);

 private:
  void RequireOpen() const;
  void RequireType(int32_t type) const;
  void RequireWritable() const;
  const text::Charset& Set() const;
  std::string_view ByteOrderMark() const;
  void Put(std::string_view bytes);

  int32_t type_ = adTypeText;
  int32_t mode_ = adModeUnknown;
  String charset_label_ = u"Unicode";
  const text::Charset* charset_;
  int32_t line_separator_ = adCRLF;
  bool open_ = false;
  std::string bytes_;
  size_t position_ = 0;
};

// Registers "ADODB.Stream" for CreateObject.
void RegisterClasses();

}  // namespace stream
