// The picture upload parser on any body: it ends, every part's data lie
// inside the body, and telling pictures reads no byte past a part's data.
#include <cstdint>

#include "multipart_input.h"
#include "platform/vb/convert.h"
#include "transfer/kesra_upload_image.h"
#include "transfer/picture_sniff.h"

using fuzz_upload::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // The raw bytes as a picture, copied so that a read past them is caught.
  std::unique_ptr<char[]> exact(new char[size]);
  std::copy_n(input.data(), size, exact.get());
  qe::SniffPicture(std::string_view(exact.get(), size));

  std::string body = fuzz_upload::BodyOf(input);
  auto request = fuzz_upload::RequestOf(body);
  qe::Kesra_UploadImage upload(request->Request());
  for (const auto& part : upload.Parts()) {
    std::string_view bytes = part->DataBytes();
    if (!part->Start.IsEmpty())
      Check(vb::CDbl(part->Start) + static_cast<double>(bytes.size()) <= body.size(), "part outside the body");
    vb::Variant width, height, type, picture_size, bits;
    part->IsImage(width, height, type, picture_size, bits);
    part->ShortFilename();
  }
  upload.binCount(u"p0");
  upload.binrequest(u"P1", 1);
  return 0;
}
