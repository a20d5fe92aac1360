#include "platform/stream/stream.h"

#include <algorithm>

#include "platform/fs/file.h"
#include "platform/stream/stream_errors.h"
#include "platform/text/charset.h"
#include "platform/vb/error.h"

namespace stream {

namespace {

String SeparatorText(int32_t separator) {
  switch (separator) {
    case adLF:
      return u"\n";
    case adCR:
      return u"\r";
    default:
      return u"\r\n";
  }
}

}  // namespace

Stream::Stream() : charset_(text::FindCharset(std::string_view("unicode"))) {}

void Stream::RequireOpen() const {
  if (!open_) RaiseStreamError(kObjectClosed);
}

void Stream::RequireType(int32_t type) const {
  RequireOpen();
  if (type_ != type) RaiseStreamError(kIllegalOperation);
}

void Stream::RequireWritable() const {
  RequireOpen();
  if (mode_ == adModeRead) RaiseStreamError(kIllegalOperation);
}

const text::Charset& Stream::Set() const { return *charset_; }

std::string_view Stream::ByteOrderMark() const {
  switch (charset_->CodePage()) {
    case 65001:
      return "\xEF\xBB\xBF";
    case 1200:
      return "\xFF\xFE";
    case 1201:
      return "\xFE\xFF";
    default:
      return {};
  }
}

void Stream::Type(int32_t type) {
  if (type != adTypeBinary && type != adTypeText) RaiseStreamError(kInvalidArgument);
  if (open_ && position_ != 0) RaiseStreamError(kIllegalOperation);
  type_ = type;
}

void Stream::Mode(int32_t mode) {
  if (open_) RaiseStreamError(kObjectOpen);
  if (mode < 0) RaiseStreamError(kInvalidArgument);
  mode_ = mode;
}

void Stream::Charset(StringView label) {
  const text::Charset* found = text::FindCharset(label);
  if (!found) RaiseStreamError(kInvalidArgument);
  if (open_ && position_ != 0) RaiseStreamError(kIllegalOperation);
  charset_ = found;
  charset_label_ = String(label);
}

void Stream::LineSeparator(int32_t separator) {
  if (separator != adCRLF && separator != adLF && separator != adCR) RaiseStreamError(kInvalidArgument);
  line_separator_ = separator;
}

int32_t Stream::Position() const {
  RequireOpen();
  return static_cast<int32_t>(position_);
}

void Stream::Position(int32_t position) {
  RequireOpen();
  if (position < 0) RaiseStreamError(kInvalidArgument);
  position_ = static_cast<size_t>(position);
  if (position_ > bytes_.size() && mode_ != adModeRead) bytes_.resize(position_, '\0');
}

int32_t Stream::Size() const {
  RequireOpen();
  return static_cast<int32_t>(bytes_.size());
}

bool Stream::EOS() const {
  RequireOpen();
  return position_ >= bytes_.size();
}

void Stream::Open(int32_t mode) {
  if (open_) RaiseStreamError(kObjectOpen);
  if (mode < 0) RaiseStreamError(kInvalidArgument);
  if (mode != adModeUnknown) mode_ = mode;
  open_ = true;
  bytes_.clear();
  position_ = 0;
}

void Stream::Close() {
  RequireOpen();
  open_ = false;
  bytes_.clear();
  position_ = 0;
}

void Stream::Put(std::string_view bytes) {
  if (position_ > bytes_.size()) bytes_.resize(position_, '\0');
  size_t overlap = std::min(bytes.size(), bytes_.size() - position_);
  bytes_.replace(position_, overlap, bytes);
  position_ += bytes.size();
}

vb::Variant Stream::Read(int32_t count) {
  RequireType(adTypeBinary);
  if (count < adReadAll) RaiseStreamError(kInvalidArgument);
  if (position_ >= bytes_.size()) return vb::Variant::Null();
  size_t available = bytes_.size() - position_;
  size_t take = count == adReadAll ? available : std::min(available, static_cast<size_t>(count));
  std::vector<uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(position_),
                           bytes_.begin() + static_cast<std::ptrdiff_t>(position_ + take));
  position_ += take;
  return vb::Variant(vb::Array::OfBytes(std::move(out)));
}

void Stream::Write(const vb::Variant& bytes) {
  RequireType(adTypeBinary);
  RequireWritable();
  if (!bytes.IsArray() || !bytes.As<vb::Array>().IsBytes()) RaiseStreamError(kInvalidArgument);
  const std::vector<uint8_t>& data = bytes.As<vb::Array>().Bytes();
  Put(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

String Stream::ReadText(int32_t count) {
  RequireType(adTypeText);
  if (count < adReadLine) RaiseStreamError(kInvalidArgument);
  size_t start = std::min(position_, bytes_.size());
  std::string_view mark = ByteOrderMark();
  if (start == 0 && !mark.empty() && std::string_view(bytes_).substr(0, mark.size()) == mark) start = mark.size();
  String rest = Set().Decode(std::string_view(bytes_).substr(start));
  String taken;
  size_t skipped = 0;  // bytes read past the text: a line's separator
  if (count == adReadAll || (count >= 0 && static_cast<size_t>(count) >= rest.size())) {
    position_ = std::max(position_, bytes_.size());
    return rest;
  }
  if (count == adReadLine) {
    String separator = SeparatorText(line_separator_);
    size_t at = rest.find(separator);
    taken = rest.substr(0, at);
    if (at != String::npos) skipped = Set().Encode(separator).size();
  } else {
    taken = rest.substr(0, static_cast<size_t>(count));
  }
  // The bytes of well-formed text are those of its characters encoded again.
  position_ = std::min(bytes_.size(), start + Set().Encode(taken).size() + skipped);
  return taken;
}

void Stream::WriteText(StringView text, int32_t options) {
  RequireType(adTypeText);
  RequireWritable();
  if (options != adWriteChar && options != adWriteLine) RaiseStreamError(kInvalidArgument);
  std::string bytes = position_ == 0 ? std::string(ByteOrderMark()) : std::string();
  bytes += Set().Encode(text);
  if (options == adWriteLine) bytes += Set().Encode(SeparatorText(line_separator_));
  Put(bytes);
}

void Stream::SkipLine() { ReadText(adReadLine); }

void Stream::SetEOS() {
  RequireWritable();
  if (position_ < bytes_.size()) bytes_.resize(position_);
}

void Stream::CopyTo(Stream& destination, int32_t count) {
  RequireOpen();
  destination.RequireWritable();
  if (count < -1) RaiseStreamError(kInvalidArgument);
  size_t before = position_;
  if (type_ == adTypeText) {
    String taken = ReadText(count);
    if (destination.type_ == adTypeText && destination.charset_ != charset_) {
      destination.Put(destination.Set().Encode(taken));
      return;
    }
  } else {
    size_t available = bytes_.size() - std::min(position_, bytes_.size());
    position_ += count < 0 ? available : std::min(available, static_cast<size_t>(count));
  }
  destination.Put(std::string_view(bytes_).substr(before, position_ - before));
}

void Stream::LoadFromFile(StringView path) {
  RequireOpen();
  try {
    bytes_ = fs::ReadAllBytes(path);
  } catch (const vb::Error&) {
    RaiseStreamError(kReadFile);
  }
  position_ = 0;
}

void Stream::SaveToFile(StringView path, int32_t options) {
  RequireOpen();
  if (options != adSaveCreateNotExist && options != adSaveCreateOverWrite) RaiseStreamError(kInvalidArgument);
  auto disposition = options == adSaveCreateOverWrite ? fs::Disposition::kCreateAlways : fs::Disposition::kCreateNew;
  bool saved = false;
  try {
    fs::File file = fs::File::Open(path, true, disposition);
    saved = file.Write(bytes_) && file.Close();
  } catch (const vb::Error&) {
    saved = false;
  }
  if (!saved) RaiseStreamError(kWriteFile);
  position_ = 0;
}

}  // namespace stream
