#pragma once
// One file of an upload (Kesra_Class_UploadFileEx): its names, its content
// type and where its data lie in the body of the parser that found it; it
// saves the data to a folder of the site or hands them back as bytes. And the
// placeholder (Kesra_Class_UploadFileEmpty) that lookups give when no file
// was sent under a name.
#include <memory>

#include "platform/com/object.h"
#include "transfer/request_body.h"

namespace qe {

class Kesra_Class_UploadFileEx : public com::Dispatch<Kesra_Class_UploadFileEx> {
 public:
  Kesra_Class_UploadFileEx();
  ~Kesra_Class_UploadFileEx() override;

  static const com::MemberTable<Kesra_Class_UploadFileEx>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_UploadFileEx"; }

  // The properties, as pages read and write them.
  vb::Variant Extend, Path, Value, Size, Position, ContentType, UserSetName, FileName, LocalName, NewName, FormName;
  const vb::String& Exception() const { return exception_; }

  // The body that Position and Size point into; the parser keeps it, so the
  // data can be read only while the parser lives.
  void SetBody(std::weak_ptr<const BodyBytes> body) { body_ = std::move(body); }

  // Writes the data into the folder `path` (a site path mapped by the server
  // object's MapPath, or a real path "D:\up"). `option` 1 keeps the client's
  // name, -1 takes UserSetName when there is one, anything else the generated
  // name. `overwrite` false saves under the first free "name(n).ext".
  // A generated name never replaces a file: on a clash another is generated.
  // Returns false with the reason in Exception instead of raising.
  bool SavetoFile(const vb::Variant& server, const vb::Variant& path, const vb::Variant& option,
                  const vb::Variant& overwrite);
  // The data; raises 3704 when the parser is gone, 3001 for a negative
  // Position or Size.
  std::string_view DataBytes(std::shared_ptr<const BodyBytes>& hold) const;

 private:
  vb::String SaveFolder(const vb::Variant& server, const vb::Variant& path) const;

  vb::String exception_;
  std::weak_ptr<const BodyBytes> body_;
};

class Kesra_Class_UploadFileEmpty : public com::Dispatch<Kesra_Class_UploadFileEmpty> {
 public:
  Kesra_Class_UploadFileEmpty();
  ~Kesra_Class_UploadFileEmpty() override;
  static const com::MemberTable<Kesra_Class_UploadFileEmpty>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_UploadFileEmpty"; }
};

}  // namespace qe
