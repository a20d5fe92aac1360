// The multipart parser: bodies as browsers and curl send them, the limits and
// type rules, and what a page reads back.
#include "transfer/kesra_class_upload_file.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/com/enumeration.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "facade/qecls.h"
#include "support/printable.h"
#include "transfer/kesra_class_upload_file_ex.h"
#include "transfer/upload_test_support.h"
#include "../platform/vb/raises.h"

namespace {

using qe::Kesra_Class_UploadFile;
using qe::Kesra_Class_UploadFileEx;
using upload_test::Ansi;
using upload_test::MultipartBody;
using upload_test::UploadRequest;
using vb::String;
using vb::Variant;

std::shared_ptr<Kesra_Class_UploadFileEx> ItemOf(const Variant& v) {
  return std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(v.GetObject());
}

std::string BytesOf(const Variant& array) {
  const auto& bytes = array.As<vb::Array>().Bytes();
  return std::string(bytes.begin(), bytes.end());
}

std::string Text(const Variant& v) { return vb::ToUtf8(vb::CStr(com::ValueOf(v))); }

struct Parsed {
  std::unique_ptr<asp::Context> request;
  std::shared_ptr<Kesra_Class_UploadFile> upload = std::make_shared<Kesra_Class_UploadFile>();
};

Parsed Parse(std::unique_ptr<asp::Context> request, std::u16string_view exe = u"") {
  Parsed p{std::move(request)};
  p.upload->SetExe(exe);
  p.upload->GetData(p.request->Request());
  return p;
}

TEST(UploadParser, ReadsFieldsAndFilesOfEachClient) {
  const std::string jpeg = "\xFF\xD8\xFF\xE0 picture bytes";
  for (std::string_view boundary : {upload_test::kChromeBoundary, upload_test::kFirefoxBoundary,
                                    upload_test::kCurlBoundary}) {
    MultipartBody body(boundary);
    body.Field("Title", "hello").File("photo", "a.jpg", jpeg, "image/jpeg").Field("note", "");
    std::string bytes = body.Bytes();
    Parsed p = Parse(UploadRequest(body));
    const Kesra_Class_UploadFile& u = *p.upload;
    ASSERT_EQ(u.ErrorID(), 0) << boundary;
    EXPECT_EQ(u.Description(), u"完成");
    EXPECT_EQ(Text(u.Forms(u"title")), "hello");
    EXPECT_EQ(Text(u.Forms(u"NOTE")), "");
    EXPECT_EQ(Text(u.Forms(u"absent")), "");
    EXPECT_EQ(u.FileCount(), 1);
    EXPECT_EQ(u.TotalSize(), static_cast<double>(jpeg.size()));
    EXPECT_TRUE(std::regex_match(Text(u.LostTime()), std::regex(R"(\d+\.\d\d)"))) << Text(u.LostTime());

    auto item = ItemOf(u.Files(u"PHOTO"));
    ASSERT_TRUE(item);
    EXPECT_EQ(Text(item->ContentType), "image/jpeg");
    EXPECT_EQ(Text(item->LocalName), "a.jpg");
    EXPECT_EQ(Text(item->FileName), "a.jpg");
    EXPECT_EQ(Text(item->Extend), "jpg");
    EXPECT_TRUE(std::regex_match(Text(item->NewName), std::regex(R"(20\d{16}\.jpg)"))) << Text(item->NewName);
    EXPECT_EQ(item->Size, Variant(static_cast<int32_t>(jpeg.size())));
    // Position is the data's offset in the body itself.
    EXPECT_EQ(bytes.substr(static_cast<size_t>(vb::CDbl(item->Position)), jpeg.size()), jpeg);
    EXPECT_EQ(BytesOf(com::Call(Variant(item), u"GetBytes")), jpeg);
    EXPECT_TRUE(std::regex_match(Text(item->FormName), std::regex(R"(photo_\d{18}_0)")));
  }
}

TEST(UploadParser, RepeatedNamesJoinFieldsAndNumberFiles) {
  MultipartBody body;
  body.Field("a", "x").Field("A", "y").File("pic", "1.png", "one").File("pic", "2.png", "two");
  body.File("PIC", "3.png", "three");
  Parsed p = Parse(UploadRequest(body));
  const Kesra_Class_UploadFile& u = *p.upload;
  ASSERT_EQ(u.ErrorID(), 0);
  EXPECT_EQ(Text(u.Forms(u"A")), "x,y");
  EXPECT_EQ(u.FileCount(), 3);
  EXPECT_EQ(Text(ItemOf(u.Files(u"pic"))->LocalName), "1.png");
  EXPECT_EQ(Text(ItemOf(u.Files_Muti(u"pic", int16_t{1}))->LocalName), "2.png");
  EXPECT_EQ(Text(ItemOf(u.Files_Muti(u"Pic", u"2"))->LocalName), "3.png");
  // Keys come back in body order and find their items as they stand.
  std::vector<std::string> keys;
  for (const auto& [key, item] : u.FileTable().Entries()) {
    keys.push_back(vb::ToUtf8(vb::CStr(key)));
    EXPECT_EQ(ItemOf(u.Files(key)), ItemOf(item));
  }
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_TRUE(keys[0].ends_with("_0") && keys[1].ends_with("_1") && keys[2].ends_with("_2"));
  EXPECT_EQ(keys[0].substr(0, keys[0].size() - 1), keys[2].substr(0, keys[2].size() - 1));
  // Each file of one upload has a name of its own.
  EXPECT_NE(Text(ItemOf(u.Files(u"pic"))->NewName), Text(ItemOf(u.Files_Muti(u"pic", 1))->NewName));

  // Nothing sent under a name: the placeholder, which is no file.
  for (Variant none : {u.Files(u"other"), u.Files_Muti(u"pic", 3)}) {
    EXPECT_EQ(vb::TypeName(none), u"Kesra_Class_UploadFileEmpty");
    EXPECT_EQ(com::Call(none, u"IsFile"), Variant(false));
  }
  EXPECT_EQ(com::Call(u.Files(u"pic"), u"IsFile"), Variant(true));
}

TEST(UploadParser, TablesWholeForMinusOne) {
  MultipartBody body;
  body.Field("b", "2").Field("a", "1").File("f", "x.txt", "data");
  Parsed p = Parse(UploadRequest(body));
  Variant fields = p.upload->Forms(int16_t{-1});
  EXPECT_EQ(com::Call(fields, u"Count"), Variant(int32_t{2}));
  EXPECT_EQ(Text(com::Call(fields, u"Item", u"a")), "1");
  Variant keys = com::Call(fields, u"Keys");
  EXPECT_EQ(Text(keys.As<vb::Array>().Items().at(0)), "b");
  Variant files = p.upload->Files(u" -1 ");
  Variant file_keys = com::Call(files, u"Keys");
  ASSERT_EQ(file_keys.As<vb::Array>().Count(), 1u);
  EXPECT_EQ(Text(com::Call(p.upload->Files(file_keys.As<vb::Array>().Items()[0]), u"LocalName")), "x.txt");
}

TEST(UploadParser, TheTablesAreDictionariesThatForEachWalksInBodyOrder) {
  MultipartBody body;
  body.Field("b", "2").File("f", "x.txt", "data").Field("a", "1").File("f", "y.txt", "more");
  Parsed p = Parse(UploadRequest(body));
  Variant fields = p.upload->Forms(int16_t{-1}), files = p.upload->Files(int16_t{-1});
  EXPECT_EQ(vb::TypeName(fields), u"Dictionary");
  EXPECT_EQ(vb::TypeName(files), u"Dictionary");
  std::vector<std::string> names;
  for (const Variant& name : com::ForEach(fields)) names.push_back(Text(name) + "=" + Text(com::Call(fields, u"", name)));
  EXPECT_EQ(names, (std::vector<std::string>{"b=2", "a=1"}));
  // The keys of the file table find their items again through Files.
  std::vector<std::string> local_names;
  for (const Variant& key : com::ForEach(files)) local_names.push_back(Text(com::Call(p.upload->Files(key), u"LocalName")));
  EXPECT_EQ(local_names, (std::vector<std::string>{"x.txt", "y.txt"}));
  // They answer as dictionaries do.
  EXPECT_EQ(vb_test::ErrorOf([&] { com::Call(fields, u"Add", String(u"a"), String(u"again")); }), 457);
  EXPECT_EQ(com::Call(fields, u"Exists", String(u"A")), Variant(false));  // keys are lower-cased names
}

TEST(UploadParser, AFormWithNothingSentHasNoPartsAndNoError) {
  const std::string closing = "--" + std::string(upload_test::kFirefoxBoundary) + "--";
  const std::string type = "multipart/form-data; boundary=" + std::string(upload_test::kFirefoxBoundary);
  for (const std::string& bytes : {closing + "\r\n", closing}) {
    Parsed p = Parse(UploadRequest(bytes, {.content_type = type}));
    EXPECT_EQ(p.upload->ErrorID(), 0);
    EXPECT_EQ(p.upload->Description(), u"完成");
    EXPECT_EQ(p.upload->FileCount(), 0);
    EXPECT_EQ(com::Call(p.upload->Forms(int16_t{-1}), u"Count"), Variant(int32_t{0}));
    EXPECT_FALSE(p.upload->LostTime().IsEmpty());
  }
  // Only the closing delimiter alone: anything after it is a body cut short.
  for (const std::string& bytes : {closing + "\r\nx", closing + "x", std::string("--")}) {
    Parsed p = Parse(UploadRequest(bytes, {.content_type = type}));
    EXPECT_EQ(p.upload->ErrorID(), qe::kUploadTruncated) << bytes;
  }
}

TEST(UploadParser, KeepsOnlyTheClientsFileName) {
  struct Case {
    std::string sent;
    const char* kept;  // nullptr: refused
  } cases[] = {
      {"C:\\Documents and Settings\\user\\My Pictures\\a.jpg", "a.jpg"},  // old IE sends the whole path
      {"../../etc/passwd", "passwd"},
      {"dir/sub\\b.txt", "b.txt"},
      {std::string("nu\0l.txt", 8), "nul.txt"},
      {"a|b$c#d.txt", "a,b_c_d.txt"},  // the report's separators
      {"..", nullptr},
      {"x/.", nullptr},
      {"C:\\dir\\", nullptr},
      {"tab\there.txt", nullptr},
      {"del\x7F.txt", nullptr},
  };
  for (const auto& c : cases) {
    MultipartBody body;
    body.Field("before", "kept").File("f", c.sent, "data");
    Parsed p = Parse(UploadRequest(body));
    if (!c.kept) {
      EXPECT_EQ(p.upload->ErrorID(), qe::kUploadBadFileName) << c.sent;
      EXPECT_EQ(p.upload->Description(), u"其他原因出错");
      EXPECT_EQ(p.upload->FileCount(), 0);
      EXPECT_EQ(Text(p.upload->Forms(u"before")), "kept");
      continue;
    }
    ASSERT_EQ(p.upload->ErrorID(), 0) << c.sent;
    EXPECT_EQ(Text(ItemOf(p.upload->Files(u"f"))->LocalName), c.kept);
  }
}

TEST(UploadParser, EmptyInputsAndPastedPictures) {
  MultipartBody body;
  body.File("empty", "", "").File("blank", "  ", "").File("paste", "blob", "\x89PNG", "image/png");
  Parsed p = Parse(UploadRequest(body));
  ASSERT_EQ(p.upload->ErrorID(), 0);
  EXPECT_EQ(p.upload->FileCount(), 1);
  EXPECT_EQ(p.upload->TotalSize(), 4);
  auto pasted = ItemOf(p.upload->Files(u"paste"));
  EXPECT_TRUE(std::regex_match(Text(pasted->LocalName), std::regex(R"(\d{18}\.png)")));
  EXPECT_EQ(Text(pasted->Extend), "png");
}

TEST(UploadParser, ChineseNamesAndValuesInTheFormsCharacterSet) {
  MultipartBody body;
  body.Field(Ansi(u"标题"), Ansi(u"春季运动会")).File("f", Ansi(u"D:\\照片\\运动会.jpg"), "jpg");
  Parsed p = Parse(UploadRequest(body));
  ASSERT_EQ(p.upload->ErrorID(), 0);
  EXPECT_EQ(vb::CStr(p.upload->Forms(u"标题")), u"春季运动会");
  EXPECT_EQ(vb::CStr(ItemOf(p.upload->Files(u"f"))->LocalName), u"运动会.jpg");

  MultipartBody utf8;
  utf8.Field("t", vb::ToUtf8(u"春季")).File("f", vb::ToUtf8(u"照片.png"), "png");
  Parsed q{UploadRequest(utf8)};
  q.upload->CharSet = u"utf-8";
  q.upload->GetData(q.request->Request());
  ASSERT_EQ(q.upload->ErrorID(), 0);
  EXPECT_EQ(vb::CStr(q.upload->Forms(u"t")), u"春季");
  EXPECT_EQ(vb::CStr(ItemOf(q.upload->Files(u"f"))->LocalName), u"照片.png");
}

TEST(UploadParser, FileDataKeepsLineBreaksDashesAndTheBoundaryText) {
  MultipartBody body;
  const std::string tricky = "\r\n--\r\n----\r\n--" + body.Boundary() + "x\r\n" + "mid--" + body.Boundary() +
                             "--\r\n\r\n\r\n-";
  body.File("f", "tricky.bin", tricky).Field("after", "ok").File("g", "end.bin", "\r\n");
  Parsed p = Parse(UploadRequest(body));
  ASSERT_EQ(p.upload->ErrorID(), 0);
  EXPECT_EQ(BytesOf(com::Call(p.upload->Files(u"f"), u"GetBytes")), tricky);
  EXPECT_EQ(BytesOf(com::Call(p.upload->Files(u"g"), u"GetBytes")), "\r\n");
  EXPECT_EQ(Text(p.upload->Forms(u"after")), "ok");
}

TEST(UploadParser, RefusedRequests) {
  MultipartBody body;
  body.File("f", "a.txt", "x");
  // No body at all, a GET among them.
  Parsed none = Parse(UploadRequest("", {.content_type = body.ContentType()}));
  EXPECT_EQ(none.upload->ErrorID(), qe::kUploadNoBody);
  EXPECT_EQ(none.upload->Description(), u"未选择上传文件或上传文件不存在");
  EXPECT_EQ(Parse(UploadRequest("", {.method = "GET"})).upload->ErrorID(), qe::kUploadNoBody);
  // A body that is no multipart form, or not posted.
  for (auto options : {upload_test::RequestOptions{.content_type = "application/x-www-form-urlencoded"},
                       upload_test::RequestOptions{.method = "PUT", .content_type = body.ContentType()},
                       upload_test::RequestOptions{}}) {
    Parsed p = Parse(UploadRequest(body.Bytes(), options));
    EXPECT_EQ(p.upload->ErrorID(), qe::kUploadNotMultipart);
    EXPECT_EQ(p.upload->Description(),
              u"Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post");
  }
  // Upper case and blanks in the content type are fine; a missing boundary is a run-time error.
  EXPECT_EQ(Parse(UploadRequest(body.Bytes(), {.content_type = " Multipart/Form-Data ; boundary=" + body.Boundary()}))
                .upload->ErrorID(),
            0);
  try {
    Parse(UploadRequest(body.Bytes(), {.content_type = "multipart/form-data"}));
    FAIL() << "expected error 9";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kSubscriptOutOfRange);
  }
  // Not run yet.
  Kesra_Class_UploadFile fresh;
  EXPECT_EQ(fresh.ErrorID(), -1);
  EXPECT_EQ(fresh.Description(), u"其他原因出错");
}

TEST(UploadParser, BodiesThatEndEarlyStopWithAnError) {
  MultipartBody body;
  body.Field("first", "1").File("f", "a.txt", std::string(100, 'x'));
  std::string closed = body.Bytes();
  struct Case {
    const char* what;
    std::string bytes;
    uint64_t declared;
  } cases[] = {
      {"no closing delimiter", body.Unclosed(), 0},
      {"cut in the middle of the data", closed.substr(0, closed.size() - 60), 0},
      {"client gone", closed.substr(0, closed.size() - 60), closed.size()},
      {"header without its blank line", "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n--b--\r\n", 0},
      {"no line break at all", "--b", 0},
      {"starts with a blank line", "\r\n--b\r\n", 0},
  };
  for (const auto& c : cases) {
    Parsed p = Parse(UploadRequest(c.bytes, {.content_type = "multipart/form-data; boundary=b",
                                             .declared_length = c.declared}));
    EXPECT_EQ(p.upload->ErrorID(), qe::kUploadTruncated) << c.what;
    EXPECT_EQ(p.upload->FileCount(), 0) << c.what;
    EXPECT_TRUE(p.upload->LostTime().IsEmpty());
  }
  // What came before the cut stays.
  Parsed p = Parse(UploadRequest(body.Unclosed(), {.content_type = body.ContentType()}));
  EXPECT_EQ(Text(p.upload->Forms(u"first")), "1");
}

TEST(UploadParser, ExtensionRules) {
  struct Case {
    const char16_t* exe;
    const char16_t* expanded;
    const char* allowed;  // file names that pass; the others of {a.JPG, a, b.pdf, c.gif, d.mp4} are refused
  } cases[] = {
      {u"", u"", "a.JPG a b.pdf c.gif d.mp4"},
      {u"*", u"*", "a.JPG a b.pdf c.gif d.mp4"},
      {u"pic", u"jpg|jpeg|gif|bmp|png", "a.JPG c.gif"},
      {u"PIC", u"jpg|jpeg|gif|bmp|png", "a.JPG c.gif"},
      {u"office", u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|pdf", "b.pdf"},
      {u"doc", u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|pdf", "b.pdf"},
      {u"all",
       u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|jpg|jpeg|gif|bmp|png|swf|wav|wma|mid|mp3|wmv|asf|avi|mpg|ram|rm|rmvb|"
       u"ra|flv|mp4|rar|zip",
       "a.JPG c.gif d.mp4"},  // a fixed list: no pdf
      {u"mp4", u"mp4|flv", "d.mp4"},
      {u"video", u"wmv|asf|avi|mpg|wma|ram|rm|rmvb|ra|mp3|wav|mid|flv|mp4", "d.mp4"},
      {u"*.JPG;*.gif", u"jpg|gif", "a.JPG c.gif"},
      {u"gif", u"gif", "c.gif"},
      {u"jpg| gif", u"jpg| gif", "a.JPG"},  // pieces are not trimmed
  };
  for (const auto& c : cases) {
    Kesra_Class_UploadFile probe;
    probe.SetExe(c.exe);
    EXPECT_EQ(probe.Exe(), c.expanded) << qe_test::Printable(c.exe);
    for (const char* name : {"a.JPG", "a", "b.pdf", "c.gif", "d.mp4"}) {
      MultipartBody body;
      body.File("f", name, "x");
      Parsed p = Parse(UploadRequest(body), c.exe);
      bool allowed = (" " + std::string(c.allowed) + " ").find(" " + std::string(name) + " ") != std::string::npos;
      EXPECT_EQ(p.upload->ErrorID(), allowed ? 0 : qe::kUploadTypeRefused) << qe_test::Printable(c.exe) << " " << name;
      if (!allowed) EXPECT_EQ(p.upload->Description(), u"不允许上传该类文件(容许上传文件类型为:" + probe.Exe() + u")");
    }
  }
}

TEST(UploadParser, SizeLimits) {
  const std::string two_mb(2 * 1024 * 1024, 'z');
  MultipartBody body;
  body.Field("title", "t").File("small", "s.txt", "12345").File("big", "b.txt", two_mb).Field("later", "l");

  // One file over SingleSize.
  Parsed single{UploadRequest(body)};
  single.upload->SingleSize = 1048576.0;
  single.upload->GetData(single.request->Request());
  EXPECT_EQ(single.upload->ErrorID(), qe::kUploadFileTooLarge);
  EXPECT_EQ(single.upload->Description(), u"超出了单文件最大容量(容许值为1M)");
  EXPECT_TRUE(single.upload->LostTime().IsEmpty());
  EXPECT_EQ(Text(single.upload->Forms(u"title")), "t");
  EXPECT_EQ(Text(single.upload->Forms(u"later")), "");
  EXPECT_EQ(single.upload->FileCount(), 1);
  EXPECT_EQ(single.upload->TotalSize(), 5.0 + two_mb.size());  // the failing file counts

  // On IIS 6 and later the whole request is compared before a byte is read.
  Parsed early{UploadRequest(body)};
  early.upload->MaxSize = 1048576.0;
  early.upload->GetData(early.request->Request());
  EXPECT_EQ(early.upload->ErrorID(), qe::kUploadTooLarge);
  EXPECT_EQ(early.upload->Description(), u"超出了最大容量(容许值为1M)");
  EXPECT_EQ(early.upload->TotalSize(), 0);
  EXPECT_EQ(early.request->RequestObject().BinaryRead(2), "--");  // the body is still unread

  // On an older server only the files are summed, while parsing.
  MultipartBody files;
  files.Field("pad", std::string(600, 'p')).File("a", "a.txt", std::string(600, 'a')).File("b", "b.txt",
                                                                                          std::string(600, 'b'));
  for (const char16_t* software : {u"Microsoft-IIS/5.0", u"Microsoft-IIS/6.0"}) {
    Parsed sum{UploadRequest(files.Bytes(), {.content_type = files.ContentType(), .server_software = software})};
    sum.upload->MaxSize = 1000;
    sum.upload->GetData(sum.request->Request());
    EXPECT_EQ(sum.upload->ErrorID(), qe::kUploadTooLarge);
    EXPECT_EQ(sum.upload->Description(), u"超出了最大容量(容许值为1000B)");
    EXPECT_EQ(sum.upload->TotalSize(), std::u16string_view(software).ends_with(u"5.0") ? 1200 : 0);
  }
  Parsed within{UploadRequest(files.Bytes(), {.content_type = files.ContentType(), .server_software = u"Microsoft-IIS/5.1"})};
  within.upload->MaxSize = 1200;
  within.upload->SingleSize = 600;
  within.upload->GetData(within.request->Request());
  EXPECT_EQ(within.upload->ErrorID(), 0);  // limits are inclusive
  // A server that names no IIS version counts as IIS 6.
  Parsed other{UploadRequest(files.Bytes(), {.content_type = files.ContentType(), .server_software = u"Apache"})};
  other.upload->MaxSize = 1200;
  other.upload->GetData(other.request->Request());
  EXPECT_EQ(other.upload->ErrorID(), qe::kUploadTooLarge);
  EXPECT_EQ(other.upload->TotalSize(), 0);
}

TEST(UploadParser, SizeTexts) {
  struct Case {
    Variant size;
    const char16_t* text;
  } cases[] = {
      {int32_t{512}, u"512.00B"},      {0, u"0.00B"},          {int32_t{1023}, u"1,023.00B"},
      {int32_t{1024}, u"1.00KB"},      {1536.0, u"1.50KB"},    {int32_t{1048575}, u"1,024.00KB"},
      {int32_t{1048576}, u"1.00MB"},   {5e9, u"4,768.37MB"},   {u"2048", u"2.00KB"},
      {Variant::Null(), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(Kesra_Class_UploadFile::GetSize(c.size), c.text) << Text(c.size);
}

TEST(UploadParser, ItemsReadOnlyTheirOwnParsersBody) {
  MultipartBody first, second;
  first.File("f", "one.txt", "first body's data");
  second.File("f", "two.txt", "second!");
  auto request1 = UploadRequest(first);
  auto request2 = UploadRequest(second);
  auto parser1 = std::make_shared<Kesra_Class_UploadFile>();
  parser1->GetData(request1->Request());
  Variant item1 = parser1->Files(u"f");
  com::Let(item1, u"Value", u"page's value");
  {
    // A second parser on the same thread leaves the first one's data alone.
    Kesra_Class_UploadFile parser2;
    parser2.GetData(request2->Request());
    EXPECT_EQ(BytesOf(com::Call(item1, u"GetBytes")), "first body's data");
    EXPECT_EQ(BytesOf(com::Call(parser2.Files(u"f"), u"GetBytes")), "second!");
  }
  EXPECT_EQ(BytesOf(com::Call(item1, u"GetBytes")), "first body's data");

  // Released, the parser takes its data with it and clears the items' values.
  parser1.reset();
  EXPECT_TRUE(com::Call(item1, u"Value").IsEmpty());
  try {
    com::Call(item1, u"GetBytes");
    FAIL() << "expected the closed-stream error";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), 3704);
  }
}

TEST(UploadParser, PagesDriveItByName) {
  qe::RegisterComponentClasses();
  MultipartBody body;
  body.Field("title", "x").File("pic", "a.gif", "GIF89a");
  auto request = UploadRequest(body);
  Variant upload = com::CreateObject(u"QE.Kesra_Class_UploadFile");
  EXPECT_EQ(Text(com::Call(upload, u"Version")), "KesraAspUpload V13.01.16");
  EXPECT_EQ(com::Call(upload, u"MaxSize"), Variant(int16_t{-1}));
  EXPECT_EQ(com::Call(upload, u"ErrorID"), Variant(int32_t{-1}));
  com::Let(upload, u"Exe", u"*.GIF");
  EXPECT_EQ(Text(com::Call(upload, u"Exe")), "gif");
  com::Let(upload, u"CharSet", u"gbk");
  com::Let(upload, u"Mode", 1);  // one read instead of blocks: the same result
  Variant req = request->Request();
  com::Call(upload, u"GetData", req);
  EXPECT_EQ(com::Call(upload, u"ErrorID"), Variant(int32_t{0}));
  EXPECT_EQ(com::Call(upload, u"FileCount"), Variant(int32_t{1}));
  EXPECT_EQ(com::Call(upload, u"TotalSize"), Variant(int32_t{6}));
  EXPECT_EQ(Text(com::Call(upload, u"Forms", u"Title")), "x");
  EXPECT_EQ(Text(com::Call(com::Call(upload, u"Files", u"pic"), u"ContentType")), "application/octet-stream");
  EXPECT_EQ(Text(com::Call(upload, u"GetSize", 2048)), "2.00KB");
  for (const char16_t* name : {u"QE.Kesra_Class_UploadFileEx", u"QE.Kesra_Class_UploadFileEmpty"})
    EXPECT_EQ(vb::TypeName(Variant(com::CreateObject(name))), vb::String(name).substr(3));
}

}  // namespace
