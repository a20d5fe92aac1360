#include "transfer/kesra_upload_image_data.h"

#include <algorithm>

#include "common/byte_string.h"
#include "platform/vb/convert.h"
#include "platform/vb/operators.h"
#include "platform/com/live_objects.h"
#include "platform/com/variant_property.h"
#include "transfer/picture_sniff.h"

namespace qe {

Kesra_UpLoadImageData::Kesra_UpLoadImageData() { com::CountObject(1); }
Kesra_UpLoadImageData::~Kesra_UpLoadImageData() { com::CountObject(-1); }

void Kesra_UpLoadImageData::SetData(std::shared_ptr<const BodyBytes> body, size_t data_size) {
  body_ = std::move(body);
  data_size_ = data_size;
}

std::string_view Kesra_UpLoadImageData::DataBytes() const {
  if (!body_) return {};
  std::string_view all = body_->View();
  double start = Start.IsEmpty() ? 0 : vb::CDbl(com::ValueOf(Start));
  size_t begin = start > 0 ? static_cast<size_t>(std::min<double>(start, static_cast<double>(all.size()))) : 0;
  return all.substr(begin, data_size_);
}

vb::Variant Kesra_UpLoadImageData::Value() const {
  if (value_) return *value_;
  if (body_) return ByteString(DataBytes());
  return {};
}

std::string Kesra_UpLoadImageData::ValueBytes() const {
  if (!value_) return std::string(DataBytes());
  const vb::Variant& v = *value_;
  if (v.IsArray() && v.As<vb::Array>().IsBytes()) {
    const auto& bytes = v.As<vb::Array>().Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
  if (v.IsEmpty() || v.IsNull()) return {};
  return BytesOfByteString(vb::CStr(v));
}

vb::String Kesra_UpLoadImageData::ShortFilename() const {
  vb::String file_name = VariantText(FileName);
  return file_name.substr(file_name.rfind(u'\\') + 1);
}

bool Kesra_UpLoadImageData::IsImage(vb::Variant& width, vb::Variant& height, vb::Variant& type, vb::Variant& size,
                                    vb::Variant& bits) const {
  std::string bytes = ValueBytes();
  if (bytes.empty() || vb::Equals(Datatype, int16_t{0})) return false;
  std::optional<PictureInfo> picture = SniffPicture(bytes);
  if (!picture) {
    width = height = size = bits = int32_t{-1};
    type = u"unknow";
    return false;
  }
  width = ByteCount(picture->width);
  height = ByteCount(picture->height);
  type = picture->type;
  size = ByteCount(static_cast<double>(bytes.size()));
  bits = ByteCount(picture->bits);
  return true;
}

const com::MemberTable<Kesra_UpLoadImageData>& Kesra_UpLoadImageData::Members() {
  using Self = Kesra_UpLoadImageData;
  using com::ArgList;
  using vb::Variant;
  static const com::MemberTable<Self> table{
      {u"name", com::kGet, 0, 0, GetField(&Self::name)},
      {u"name", com::kLet, 1, 1, LetField(&Self::name)},
      {u"Value", com::kGet, 0, 0, [](Self& s, ArgList&) { return s.Value(); }},
      {u"Value", com::kLet, 1, 1,
       [](Self& s, ArgList& a) {
         s.SetValue(com::ValueOf(a[0]));
         return Variant();
       }},
      {u"Datatype", com::kGet, 0, 0, GetField(&Self::Datatype)},
      {u"Datatype", com::kLet, 1, 1, LetField(&Self::Datatype)},
      {u"FileName", com::kGet, 0, 0, GetField(&Self::FileName)},
      {u"FileName", com::kLet, 1, 1, LetField(&Self::FileName)},
      {u"ContentType", com::kGet, 0, 0, GetField(&Self::ContentType)},
      {u"ContentType", com::kLet, 1, 1, LetField(&Self::ContentType)},
      {u"Start", com::kGet, 0, 0, GetField(&Self::Start)},
      {u"Start", com::kLet, 1, 1, LetField(&Self::Start)},
      {u"ShortFilename", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.ShortFilename()); }},
      {u"IsImage", com::kGet, 5, 5,
       [](Self& s, ArgList& a) { return Variant(s.IsImage(a[0], a[1], a[2], a[3], a[4])); }},
  };
  return table;
}

}  // namespace qe
