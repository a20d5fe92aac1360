#pragma once
// The older upload parser (Kesra_UploadImage) for pages that take pictures:
// it splits the body of the current request into parts when it is created,
// finds parts by field name and occurrence, and saves a part to a file.
// Created through CreateObject it reads the request that the current thread
// serves (asp::CurrentContext); it holds that body once, and its parts
// (Kesra_UpLoadImageData) point into it.
#include <memory>
#include <vector>

#include "platform/com/dictionary.h"
#include "platform/com/object.h"
#include "transfer/kesra_upload_image_data.h"
#include "transfer/request_body.h"

namespace qe {

// Results of SavetoFile.
enum ImageSaveResult : int16_t {
  kImageSaved = 0,
  kImageNoSuchPart = 1,
  kImageEmptyValue = 2,
  kImageNoFolder = 4,
  kImageForcedSaveFailed = 8,  // and a file of that name is there
  kImageSaveFailed = 16,
  kImageFileExists = 32,  // and the save was not forced
};

class Kesra_UploadImage : public com::Dispatch<Kesra_UploadImage> {
 public:
  // The body of the current request; no parts outside a request.
  Kesra_UploadImage();
  // The body of the given ASP Request.
  explicit Kesra_UploadImage(const vb::Variant& request);
  ~Kesra_UploadImage() override;

  static const com::MemberTable<Kesra_UploadImage>& Members();
  vb::String TypeName() const override { return u"Kesra_UploadImage"; }

  // True compares names exactly; otherwise without regard to case.
  vb::Variant CaseSensitive = false;

  // The occurrence `index` (from 0) of the parts named `name`; a blank part
  // (Datatype Empty) when there is none.
  std::shared_ptr<Kesra_UpLoadImageData> binrequest(const vb::Variant& name, const vb::Variant& index) const;
  int32_t binCount(const vb::Variant& name) const;
  bool isExists(const vb::Variant& name) const;
  // Saves a part's data to the full disk path `full_name`; `force` replaces
  // an existing file. Returns an ImageSaveResult.
  int16_t SavetoFile(const vb::Variant& name, const vb::Variant& index, const vb::Variant& full_name,
                     const vb::Variant& force) const;
  // The text up to and including the last "\"; "" when there is none.
  static vb::String GetPath(const vb::Variant& full_name);

  const std::vector<std::shared_ptr<Kesra_UpLoadImageData>>& Parts() const { return parts_; }

 private:
  void Split(const vb::Variant& request);
  void AddPart(size_t offset, size_t size);
  bool NameMatches(const vb::Variant& part_name, vb::StringView wanted) const;

  std::shared_ptr<const BodyBytes> body_;
  // The part's number from 0 -> the part; the parts are its items.
  std::shared_ptr<scripting::Dictionary> index_;
  std::vector<std::shared_ptr<Kesra_UpLoadImageData>> parts_;
};

}  // namespace qe
