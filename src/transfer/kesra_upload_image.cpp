#include "transfer/kesra_upload_image.h"

#include <algorithm>

#include "platform/asp/context.h"
#include "platform/fs/file_write.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"
#include "platform/com/live_objects.h"
#include "transfer/multipart_parts.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

// Bytes of the ANSI code page, read two at a time from any byte of 128 or
// more; a pair that makes no character, or a lead byte with nothing after
// it, gives "?".
vb::String BytesToString(std::string_view bytes) {
  vb::String text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 128) {
      text += static_cast<char16_t>(byte);
      continue;
    }
    vb::String pair = i + 1 < bytes.size() ? text::DecodeAnsi(bytes.substr(i, 2)) : vb::String();
    text += pair.size() == 1 ? pair[0] : u'?';
    ++i;
  }
  return text;
}

// The bytes after `marker` up to the next double quote; empty without the marker.
std::string_view QuotedBytesAfter(std::string_view header, std::string_view marker) {
  size_t at = header.find(marker);
  if (at == std::string_view::npos) return {};
  std::string_view rest = header.substr(at + marker.size());
  return rest.substr(0, rest.find('"'));
}

}  // namespace

Kesra_UploadImage::Kesra_UploadImage() {
  com::CountObject(1);
  if (asp::Context* context = asp::CurrentContext()) Split(context->Request());
}

Kesra_UploadImage::Kesra_UploadImage(const vb::Variant& request) {
  com::CountObject(1);
  Split(request);
}

Kesra_UploadImage::~Kesra_UploadImage() {
  if (index_) index_->RemoveAll();
  parts_.clear();
  com::CountObject(-1);
}

void Kesra_UploadImage::Split(const vb::Variant& request) {
  double total = vb::CDbl(com::ValueOf(com::Call(request, u"TotalBytes")));
  if (!(total > 0)) return;
  body_ = std::make_shared<BodyBytes>(ReadRequestBody(request, total, static_cast<size_t>(std::min(total, 0x1p62))));
  std::string_view body = body_->View();
  size_t line_end = FindBytes(body, "\r\n", 0);
  if (line_end == 0 || line_end == std::string_view::npos) return;
  const std::string next_line = "\r\n" + std::string(body.substr(0, line_end));
  const size_t line = line_end + 2;  // the delimiter and its CR LF
  index_ = std::make_shared<scripting::Dictionary>();
  for (size_t delimiter = 0;;) {
    size_t found = FindDelimiter(body, next_line, delimiter + line_end);
    if (found == std::string_view::npos) break;
    size_t next = found + 2;
    AddPart(delimiter + line, next - delimiter - line);
    delimiter = next;
  }
  for (const vb::Variant& part : index_->Items())
    parts_.push_back(std::static_pointer_cast<Kesra_UpLoadImageData>(part.GetObject()));
}

void Kesra_UploadImage::AddPart(size_t offset, size_t size) {
  std::string_view part = body_->View().substr(offset, size);
  auto data = std::make_shared<Kesra_UpLoadImageData>();
  size_t blank = FindBytes(part, "\r\n\r\n", 0);
  std::string_view header = part.substr(0, blank);
  size_t data_size = 0;
  if (blank != std::string_view::npos && part.size() > blank + 6) {
    data_size = part.size() - blank - 6;
    data->Start = ByteCount(static_cast<double>(offset + blank + 4));
  }
  data->SetData(body_, data_size);
  bool is_file = std::count(header.begin(), header.end(), ';') > 1;
  data->Datatype = static_cast<int16_t>(is_file ? 1 : 0);
  data->name = BytesToString(QuotedBytesAfter(header, "; name=\""));
  if (is_file) {
    data->FileName = BytesToString(QuotedBytesAfter(header, "; filename=\""));
    size_t label = header.find("\r\nContent-Type");
    data->ContentType = label == std::string_view::npos ? vb::String()
                                                        : BytesToString(header.substr(std::min(label + 16, header.size())));
  } else {
    data->SetFieldText(BytesToString(data->DataBytes()));
  }
  index_->Add(vb::Variant(index_->Count()), vb::Variant(std::move(data)));
}

bool Kesra_UploadImage::NameMatches(const vb::Variant& part_name, vb::StringView wanted) const {
  vb::String name = VariantText(part_name);
  if (vb::CBool(com::ValueOf(CaseSensitive))) return name == wanted;
  return vb::UCase(name) == vb::UCase(wanted);
}

std::shared_ptr<Kesra_UpLoadImageData> Kesra_UploadImage::binrequest(const vb::Variant& name,
                                                                     const vb::Variant& index) const {
  vb::String wanted = VariantText(name);
  int32_t count = 0;
  for (const auto& part : parts_) {
    if (!NameMatches(part->name, wanted)) continue;
    if (vb::Equals(count, com::ValueOf(index))) return part;
    ++count;
  }
  return std::make_shared<Kesra_UpLoadImageData>();
}

int32_t Kesra_UploadImage::binCount(const vb::Variant& name) const {
  vb::String wanted = VariantText(name);
  return static_cast<int32_t>(
      std::count_if(parts_.begin(), parts_.end(), [&](const auto& part) { return NameMatches(part->name, wanted); }));
}

bool Kesra_UploadImage::isExists(const vb::Variant& name) const {
  vb::String wanted = VariantText(name);
  return std::any_of(parts_.begin(), parts_.end(), [&](const auto& part) { return NameMatches(part->name, wanted); });
}

vb::String Kesra_UploadImage::GetPath(const vb::Variant& full_name) {
  vb::String path = VariantText(full_name);
  size_t last = path.rfind(u'\\');
  return last == vb::String::npos ? vb::String() : path.substr(0, last + 1);
}

int16_t Kesra_UploadImage::SavetoFile(const vb::Variant& name, const vb::Variant& index, const vb::Variant& full_name,
                                      const vb::Variant& force) const {
  std::shared_ptr<Kesra_UpLoadImageData> part = binrequest(name, index);
  if (part->Datatype.IsEmpty()) return kImageNoSuchPart;
  if (part->ValueBytes().empty()) return kImageEmptyValue;
  vb::String folder = GetPath(full_name);
  if (folder.empty() || !fs::IsExistingFolder(folder)) return kImageNoFolder;
  vb::String target = VariantText(full_name);
  bool forced = vb::CBool(com::ValueOf(force));
  if (!forced && fs::IsExistingFile(target)) return kImageFileExists;
  try {
    if (forced) fs::ReplaceFile(target, part->DataBytes());
    else fs::CreateNewFile(target, part->DataBytes());
    return kImageSaved;
  } catch (const vb::Error& e) {
    if (!forced && e.Number() == vb::kFileAlreadyExists) return kImageFileExists;
    return forced && fs::IsExistingFile(target) ? kImageForcedSaveFailed : kImageSaveFailed;
  }
}

const com::MemberTable<Kesra_UploadImage>& Kesra_UploadImage::Members() {
  using Self = Kesra_UploadImage;
  using com::ArgList;
  using vb::Variant;
  static const com::MemberTable<Self> table{
      {u"CaseSensitive", com::kGet, 0, 0, GetField(&Self::CaseSensitive)},
      {u"CaseSensitive", com::kLet, 1, 1, LetField(&Self::CaseSensitive)},
      {u"binrequest", com::kGet, 2, 2, [](Self& s, ArgList& a) { return Variant(s.binrequest(a[0], a[1])); }},
      {u"binCount", com::kGet, 1, 1, [](Self& s, ArgList& a) { return Variant(s.binCount(a[0])); }},
      {u"isExists", com::kGet, 1, 1, [](Self& s, ArgList& a) { return Variant(s.isExists(a[0])); }},
      {u"SavetoFile", com::kGet, 4, 4,
       [](Self& s, ArgList& a) { return Variant(s.SavetoFile(a[0], a[1], a[2], a[3])); }},
      {u"GetPath", com::kGet, 1, 1, [](Self&, ArgList& a) { return Variant(GetPath(a[0])); }},
  };
  return table;
}

}  // namespace qe
