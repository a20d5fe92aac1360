// The multipart upload parser on any body: it ends, every item it makes lies
// inside the body, and the items' sizes add up to what it counted.
#include <cstdint>

#include "multipart_input.h"
#include "platform/vb/convert.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/kesra_class_upload_file_ex.h"

using fuzz_upload::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string body = fuzz_upload::BodyOf(std::string_view(reinterpret_cast<const char*>(data), size));
  auto request = fuzz_upload::RequestOf(body);
  qe::Kesra_Class_UploadFile upload;
  if (size > 0 && (data[0] & 4)) upload.SetExe(u"pic");
  if (size > 0 && (data[0] & 8)) upload.SingleSize = 16.0;
  try {
    upload.GetData(request->Request());
  } catch (const vb::Error&) {
    return 0;  // a character set or a content type that the parser refuses
  }
  int32_t id = upload.ErrorID();
  Check(id == 0 || id == 1 || id == 3 || id == 4 || id == 5 || id == 6 || id == 7, "unexpected ErrorID");
  double sizes = 0;
  for (const auto& [key, value] : upload.FileTable().Entries()) {
    auto item = std::dynamic_pointer_cast<qe::Kesra_Class_UploadFileEx>(value.GetObject());
    Check(item != nullptr, "an entry that is no item");
    double position = vb::CDbl(item->Position), item_size = vb::CDbl(item->Size);
    Check(position >= 0 && item_size >= 0 && position + item_size <= body.size(), "item outside the body");
    std::shared_ptr<const qe::BodyBytes> hold;
    Check(item->DataBytes(hold).size() == item_size, "item data of another size");
    sizes += item_size;
    vb::String name = vb::CStr(item->LocalName);
    Check(!name.empty() && name.find_first_of(u"\\/|$#") == vb::String::npos, "client name not cleaned");
  }
  Check(sizes <= upload.TotalSize(), "items larger than counted");
  upload.Forms(u"p0");
  upload.Files_Muti(u"p1", 1);
  return 0;
}
