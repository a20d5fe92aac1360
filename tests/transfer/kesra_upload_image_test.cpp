// The picture upload classes: parts by name and occurrence, saving with its
// return codes, and pictures told by their bytes.
#include "transfer/kesra_upload_image.h"

#include <gtest/gtest.h>


#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "facade/qecls.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "transfer/picture_bytes.h"
#include "transfer/upload_test_support.h"

namespace {

namespace stdfs = std::filesystem;
using qe::Kesra_UploadImage;
using upload_test::Ansi;
using upload_test::MultipartBody;
using vb::Variant;

Kesra_UploadImage Split(const std::string& body, const std::string& type = "multipart/form-data; boundary=x") {
  auto request = upload_test::UploadRequest(body, {.content_type = type});
  return Kesra_UploadImage(request->Request());
}

TEST(UploadImage, FindsPartsByNameAndOccurrence) {
  MultipartBody body;
  body.Field("photo", "first").Field("other", "o").Field("photo", "second");
  Kesra_UploadImage upload = Split(body.Bytes());
  EXPECT_EQ(upload.Parts().size(), 3u);
  EXPECT_EQ(upload.binCount(u"photo"), 2);
  EXPECT_EQ(upload.binrequest(u"photo", 1)->Value(), Variant(u"second"));
  EXPECT_EQ(upload.binrequest(u"PHOTO", int16_t{0})->Value(), Variant(u"first"));
  EXPECT_TRUE(upload.isExists(u"Other"));
  EXPECT_TRUE(upload.binrequest(u"photo", 2)->Datatype.IsEmpty());
  upload.CaseSensitive = true;
  EXPECT_EQ(upload.binCount(u"PHOTO"), 0);
  EXPECT_FALSE(upload.isExists(u"Other"));
  EXPECT_EQ(upload.binCount(u"photo"), 2);
  auto field = upload.binrequest(u"other", 0);
  EXPECT_EQ(field->Datatype, Variant(int16_t{0}));
  EXPECT_EQ(field->name, Variant(u"other"));
}

TEST(UploadImage, FilePartsKeepTheirDataAsAByteString) {
  MultipartBody body;
  body.File("pic", Ansi(u"D:\\照片\\运动会.jpg"), "abc", "image/jpeg").File("empty", "", "");
  std::string bytes = body.Bytes();
  Kesra_UploadImage upload = Split(bytes);
  auto pic = upload.binrequest(u"pic", 0);
  EXPECT_EQ(pic->Datatype, Variant(int16_t{1}));
  EXPECT_EQ(pic->FileName, Variant(u"D:\\照片\\运动会.jpg"));
  EXPECT_EQ(pic->ShortFilename(), u"运动会.jpg");
  EXPECT_EQ(pic->ContentType, Variant(u"image/jpeg"));
  EXPECT_EQ(bytes.substr(static_cast<size_t>(vb::CDbl(pic->Start)), 3), "abc");
  // Three bytes make two characters, the second padded with a zero byte.
  EXPECT_EQ(pic->Value(), Variant(vb::String{u'a' | u'b' << 8, u'c'}));

  // A file input left empty is a file part with an empty value.
  auto empty = upload.binrequest(u"empty", 0);
  EXPECT_EQ(empty->Datatype, Variant(int16_t{1}));
  EXPECT_EQ(vb::CStr(empty->Value()), u"");
  EXPECT_TRUE(empty->Start.IsEmpty());
}

TEST(UploadImage, SaveReturnCodes) {
  qe_test::TempSite site;
  site.MakeFolder("up");
  MultipartBody body;
  body.File("pic", "a.gif", "GIF", "image/gif").File("empty", "", "").Field("text", "field text");
  Kesra_UploadImage upload = Split(body.Bytes());
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\up\\a.gif", false), qe::kImageSaved);
  EXPECT_EQ(qe_test::FileContent(site.Host("up/a.gif")), "GIF");  // the data without the pad byte
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\UP\\A.GIF", false), qe::kImageFileExists);
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\up\\a.gif", true), qe::kImageSaved);
  EXPECT_EQ(upload.SavetoFile(u"pic", 1, u"C:\\up\\b.gif", true), qe::kImageNoSuchPart);
  EXPECT_EQ(upload.SavetoFile(u"nothing", 0, u"C:\\up\\b.gif", true), qe::kImageNoSuchPart);
  EXPECT_EQ(upload.SavetoFile(u"empty", 0, u"C:\\up\\b.gif", true), qe::kImageEmptyValue);
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\missing\\b.gif", true), qe::kImageNoFolder);
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"b.gif", true), qe::kImageNoFolder);  // no "\" at all
  EXPECT_EQ(upload.SavetoFile(u"text", 0, u"C:\\up\\t.txt", false), qe::kImageSaved);
  EXPECT_EQ(qe_test::FileContent(site.Host("up/t.txt")), "field text");
  site.MakeFolder("up/folder.gif");
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\up\\folder.gif", true), qe::kImageSaveFailed);
  EXPECT_EQ(upload.SavetoFile(u"pic", 0, u"C:\\up\\bad|name.gif", true), qe::kImageSaveFailed);
  EXPECT_EQ(Kesra_UploadImage::GetPath(u"C:\\up\\a.gif"), u"C:\\up\\");
  EXPECT_EQ(Kesra_UploadImage::GetPath(u"a.gif"), u"");
}

TEST(UploadImage, BodiesWithoutParts) {
  for (std::string body : {std::string(), std::string("no line break"), std::string("\r\n\r\n"),
                           std::string("--x\r\nContent-Disposition: form-data; name=\"cut\"\r\n\r\nno end")}) {
    Kesra_UploadImage upload = Split(body);
    EXPECT_TRUE(upload.Parts().empty()) << body;
    EXPECT_EQ(upload.binCount(u"cut"), 0);
    EXPECT_TRUE(upload.binrequest(u"cut", 0)->Datatype.IsEmpty());
    EXPECT_EQ(upload.SavetoFile(u"cut", 0, u"C:\\a.txt", true), qe::kImageNoSuchPart);
  }
  // A part without its blank line has a header and no data.
  Kesra_UploadImage odd = Split("--x\r\nContent-Disposition: form-data; name=\"h\"\r\n--x--\r\n");
  ASSERT_EQ(odd.Parts().size(), 1u);
  EXPECT_EQ(vb::CStr(odd.Parts()[0]->Value()), u"");
}

TEST(UploadImage, CreatedByPagesItReadsTheCurrentRequest) {
  qe::RegisterComponentClasses();
  Variant outside = com::CreateObject(u"QE.Kesra_UploadImage");
  EXPECT_EQ(com::Call(outside, u"binCount", u"a"), Variant(int32_t{0}));

  MultipartBody body;
  body.Field("a", "1").File("pic", "p.png", picture_bytes::Png(12, 34, 8, 2), "image/png");
  auto request = upload_test::UploadRequest(body);
  asp::ContextScope scope(*request);
  Variant upload = com::CreateObject(u"QE.Kesra_UploadImage");
  EXPECT_EQ(com::Call(upload, u"CaseSensitive"), Variant(false));
  EXPECT_EQ(com::Call(upload, u"isExists", u"A"), Variant(true));
  Variant pic = com::Call(upload, u"binrequest", u"pic", 0);
  EXPECT_EQ(vb::TypeName(pic), u"Kesra_UpLoadImageData");
  EXPECT_EQ(com::Call(pic, u"ShortFilename"), Variant(u"p.png"));
  Variant width, height, type, size, bits;
  EXPECT_EQ(com::Call(pic, u"IsImage", width, height, type, size, bits), Variant(true));
  EXPECT_EQ(vb::CStr(width) + u"x" + vb::CStr(height) + u" " + vb::CStr(type) + u" " + vb::CStr(size) + u" " +
                vb::CStr(bits),
            u"12x34 png 33 24");

  // Not a picture: -1 and "unknow"; a field is never one and fills nothing.
  com::Let(pic, u"Value", u"just text");
  EXPECT_EQ(com::Call(pic, u"IsImage", width, height, type, size, bits), Variant(false));
  EXPECT_EQ(vb::CStr(width) + vb::CStr(height) + vb::CStr(type) + vb::CStr(size) + vb::CStr(bits),
            u"-1-1unknow-1-1");
  Variant field = com::Call(upload, u"binrequest", u"a", 0);
  Variant untouched = u"kept";
  EXPECT_EQ(com::Call(field, u"IsImage", untouched, height, type, size, bits), Variant(false));
  EXPECT_EQ(untouched, Variant(u"kept"));
  EXPECT_EQ(vb::TypeName(Variant(com::CreateObject(u"QE.Kesra_UpLoadImageData"))), u"Kesra_UpLoadImageData");
}

TEST(UploadImage, OddSizedPicturesReportTheirRealSize) {
  MultipartBody body;
  std::string gif = picture_bytes::Gif(5, 6, 0x91) + "x";
  ASSERT_EQ(gif.size() % 2, 1u);
  body.File("g", "g.gif", gif, "image/gif");
  Kesra_UploadImage upload = Split(body.Bytes());
  Variant width, height, type, size, bits;
  ASSERT_TRUE(upload.binrequest(u"g", 0)->IsImage(width, height, type, size, bits));
  EXPECT_EQ(size, Variant(static_cast<int32_t>(gif.size())));  // without the pad byte
  EXPECT_EQ(bits, Variant(int32_t{2}));
}

}  // namespace
