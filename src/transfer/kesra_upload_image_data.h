#pragma once
// One part of an upload split by Kesra_UploadImage (Kesra_UpLoadImageData):
// a field with its text, or a file with its data, which can tell whether it
// is a JPEG, GIF, BMP or PNG picture and read its size and colour depth.
#include <memory>
#include <optional>

#include "platform/com/object.h"
#include "transfer/request_body.h"

namespace qe {

class Kesra_UpLoadImageData : public com::Dispatch<Kesra_UpLoadImageData> {
 public:
  Kesra_UpLoadImageData();
  ~Kesra_UpLoadImageData() override;

  static const com::MemberTable<Kesra_UpLoadImageData>& Members();
  vb::String TypeName() const override { return u"Kesra_UpLoadImageData"; }

  // A part of `body`: its data are `data_size` bytes from `Start`.
  void SetData(std::shared_ptr<const BodyBytes> body, size_t data_size);

  vb::Variant name, Datatype, FileName, ContentType, Start;

  // Field part: the field text. File part: the data as a byte string (two
  // bytes a character, a zero byte added to an odd count), made from the body
  // when read. What a page writes replaces it.
  vb::Variant Value() const;
  void SetValue(vb::Variant value) { value_ = std::move(value); }
  void SetFieldText(vb::String text) { value_ = std::move(text); }
  // The bytes that Value stands for (without the added zero byte).
  std::string ValueBytes() const;
  // The bytes the part's data hold in the body, for saving.
  std::string_view DataBytes() const;

  // FileName after its last "\".
  vb::String ShortFilename() const;
  // Fills the five arguments and returns true for a recognised picture;
  // false with -1 and "unknow" for other data; false and nothing filled for a
  // field part or an empty value.
  bool IsImage(vb::Variant& width, vb::Variant& height, vb::Variant& type, vb::Variant& size, vb::Variant& bits) const;

 private:
  std::optional<vb::Variant> value_;
  std::shared_ptr<const BodyBytes> body_;
  size_t data_size_ = 0;
};

}  // namespace qe
