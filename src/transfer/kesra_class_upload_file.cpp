#include "transfer/kesra_class_upload_file.h"

#include "common/kesra_number_text.h"
#include "platform/asp/context.h"
#include "platform/text/charset.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/format.h"
#include "platform/vb/information.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"
#include "platform/com/live_objects.h"
#include "transfer/kesra_class_upload_file_ex.h"
#include "transfer/multipart_parts.h"
#include "transfer/upload_names.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

constexpr size_t kReadBlock = 16384;

struct ExeKeyword {
  const char16_t* keyword;
  const char16_t* extensions;
};
constexpr ExeKeyword kExeKeywords[] = {
    {u"all", u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|jpg|jpeg|gif|bmp|png|swf|wav|wma|mid|mp3|wmv|asf|avi|mpg|"
             u"ram|rm|rmvb|ra|flv|mp4|rar|zip"},
    {u"office", u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|pdf"},
    {u"doc", u"doc|docx|xls|xlsx|ppt|pptx|txt|rtf|pdf"},
    {u"pic", u"jpg|jpeg|gif|bmp|png"},
    {u"flash", u"swf"},
    {u"audio", u"wav|wma|mid|mp3"},
    {u"video", u"wmv|asf|avi|mpg|wma|ram|rm|rmvb|ra|mp3|wav|mid|flv|mp4"},
    {u"wmv", u"wmv|asf|avi|mpg|wma"},
    {u"mp4", u"mp4|flv"},
    {u"mp3", u"mp3|wav"},
    {u"rm", u"ram|rm|rmvb|ra|mp3"},
    {u"zip", u"rar|zip"},
};

vb::String ServerVariable(const vb::Variant& request, const char16_t* name) {
  return VariantText(com::Call(request, u"ServerVariables", vb::String(name)));
}

// The text between `marker` and the next double quote (to the end when there
// is none); npos in `after` when the marker is missing.
vb::String QuotedAfter(vb::StringView text, vb::StringView marker, size_t& after) {
  size_t at = text.find(marker);
  if (at == vb::StringView::npos) {
    after = vb::StringView::npos;
    return {};
  }
  size_t start = at + marker.size();
  size_t end = std::min(text.find(u'"', start), text.size());
  after = end;
  return vb::String(text.substr(start, end - start));
}

// The text after the header's Content-Type label and its colon, searched
// without regard to case from `from`; "" when the label is missing.
vb::String ContentTypeAfter(vb::StringView header, size_t from) {
  vb::String lower = vb::AsciiLowerCopy(header);
  size_t at = lower.find(u"content-type", std::min(from, lower.size()));
  if (at == vb::String::npos) return {};
  return vb::Trim(header.substr(std::min(at + 13, header.size())));
}

double Limit(const vb::Variant& v) { return vb::CDbl(com::ValueOf(v)); }

}  // namespace

Kesra_Class_UploadFile::Kesra_Class_UploadFile() : separator_(u"_" + MakeNewName() + u"_") { com::CountObject(1); }

Kesra_Class_UploadFile::~Kesra_Class_UploadFile() {
  fields_->RemoveAll();
  for (const auto& [key, item] : files_->Entries())
    if (auto file = std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(item.GetObject())) file->Value = vb::Variant();
  files_->RemoveAll();
  com::CountObject(-1);
}

void Kesra_Class_UploadFile::SetExe(vb::StringView exe) {
  vb::String lower = vb::LCase(exe);
  for (const auto& k : kExeKeywords) {
    if (lower == k.keyword) {
      exe_ = k.extensions;
      return;
    }
  }
  exe_ = vb::Replace(vb::Replace(lower, u"*.", u""), u";", u"|");
}

bool Kesra_Class_UploadFile::IsExtDenied(vb::StringView extension) const {
  if (exe_ == u"*") return false;
  vb::String lower = vb::LCase(extension);
  if (exe_.find(u'|') == vb::String::npos) return exe_ != lower;
  for (const vb::String& piece : vb::SplitParts(exe_, u"|"))
    if (piece == lower) return false;
  return true;
}

vb::String Kesra_Class_UploadFile::Description() const {
  switch (error_id_) {
    case kUploadDone:
      return u"完成";
    case kUploadTooLarge:
      return u"超出了最大容量(容许值为" + KesraGetFileSize(VariantText(MaxSize)) + u")";
    case kUploadNotMultipart:
      return u"Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post";
    case kUploadTypeRefused:
      return u"不允许上传该类文件(容许上传文件类型为:" + exe_ + u")";
    case kUploadFileTooLarge:
      return u"超出了单文件最大容量(容许值为" + KesraGetFileSize(VariantText(SingleSize)) + u")";
    case kUploadNoBody:
      return u"未选择上传文件或上传文件不存在";
    default:
      return u"其他原因出错";
  }
}

vb::String Kesra_Class_UploadFile::Decode(std::string_view bytes) const {
  if (bytes.empty()) return {};
  const text::Charset* charset = text::FindCharset(CharSet);
  if (!charset) vb::Raise(vb::kInvalidProcedureCall, u"Unknown character set \"" + CharSet + u"\"");
  return charset->Decode(bytes);
}

void Kesra_Class_UploadFile::GetData(const vb::Variant& request) {
  const double start = vb::Timer();
  const double total = vb::CDbl(com::ValueOf(com::Call(request, u"TotalBytes")));
  if (!(total > 0)) {
    error_id_ = kUploadNoBody;
    return;
  }
  vb::String method = vb::LCase(vb::Trim(ServerVariable(request, u"REQUEST_METHOD")));
  vb::String content_type = vb::LCase(ServerVariable(request, u"HTTP_CONTENT_TYPE"));
  if (method != u"post" || vb::Trim(content_type.substr(0, content_type.find(u';'))) != u"multipart/form-data") {
    error_id_ = kUploadNotMultipart;
    return;
  }
  if (content_type.find(u"boundary=") == vb::String::npos) vb::Raise(vb::kSubscriptOutOfRange);
  if (!text::FindCharset(CharSet)) vb::Raise(vb::kInvalidProcedureCall, u"Unknown character set \"" + CharSet + u"\"");

  double server_version = 6.0;
  vb::String software = vb::Replace(vb::LCase(ServerVariable(request, u"SERVER_SOFTWARE")), u"microsoft-iis/", u"");
  if (vb::IsNumeric(vb::Variant(software))) server_version = vb::CDbl(vb::Variant(software));
  if (server_version >= 6 && Limit(MaxSize) > 0 && total > Limit(MaxSize)) {
    error_id_ = kUploadTooLarge;
    return;
  }

  total_size_ = 0;
  const size_t block = vb::Equals(Mode, int16_t{0}) ? kReadBlock : static_cast<size_t>(std::min(total, 0x1p62));
  body_ = std::make_shared<BodyBytes>(ReadRequestBody(request, total, block));
  if (ParseParts(body_->View())) {
    error_id_ = kUploadDone;
    double elapsed = vb::Timer() - start;
    if (elapsed < 0) elapsed += 86400;  // past midnight
    lost_time_ = vb::FormatNumber(elapsed * 1000, 2);
  }
}

bool Kesra_Class_UploadFile::ParseParts(std::string_view body) {
  MultipartEnd end = WalkMultipart(body, [&](const MultipartPart& part) {
    vb::String header = Decode(body.substr(part.header_offset, part.header_size));
    if (header.find(u"filename=\"") != vb::String::npos)
      return AddFile(header, part.data_offset, part.data_size);
    size_t ignored;
    AddField(vb::LCase(QuotedAfter(header, u"name=\"", ignored)), body.substr(part.data_offset, part.data_size));
    return true;
  });
  if (end == MultipartEnd::kTruncated) error_id_ = kUploadTruncated;
  return end == MultipartEnd::kComplete;
}

bool Kesra_Class_UploadFile::AddFile(const vb::String& header, size_t data_offset, size_t data_size) {
  size_t ignored, after_file_name;
  vb::String key = vb::LCase(QuotedAfter(header, u"name=\"", ignored)) + separator_ + u"0";
  vb::String sent_name = QuotedAfter(header, u"filename=\"", after_file_name);
  vb::String content_type = ContentTypeAfter(header, after_file_name);
  if (vb::Trim(sent_name).empty()) return true;  // a file input left empty

  std::optional<vb::String> local_name = ClientLocalName(sent_name);
  if (!local_name) {
    error_id_ = kUploadBadFileName;
    return false;
  }
  size_t dot = local_name->rfind(u'.');
  vb::String extension = dot == vb::String::npos ? vb::String() : local_name->substr(dot + 1);
  if (!exe_.empty() && IsExtDenied(extension)) {
    error_id_ = kUploadTypeRefused;
    return false;
  }
  vb::String new_name = UniqueNewName() + u"." + extension;

  const auto size = static_cast<double>(data_size);
  total_size_ += size;
  if (Limit(SingleSize) > 0 && size > Limit(SingleSize)) {
    error_id_ = kUploadFileTooLarge;
    return false;
  }
  if (Limit(MaxSize) > 0 && total_size_ > Limit(MaxSize)) {
    error_id_ = kUploadTooLarge;
    return false;
  }
  if (files_->Exists(vb::Variant(key))) key = UniqueKey(key);

  auto item = std::make_shared<Kesra_Class_UploadFileEx>();
  item->ContentType = content_type;
  item->Size = ByteCount(size);
  item->Position = ByteCount(static_cast<double>(data_offset));
  item->FormName = key;
  item->NewName = new_name;
  item->FileName = *local_name;
  item->LocalName = *local_name;
  item->Extend = extension;
  item->SetBody(body_);
  files_->Add(vb::Variant(key), vb::Variant(item));
  return true;
}

vb::String Kesra_Class_UploadFile::UniqueNewName() {
  vb::String name = MakeNewName();
  // Names made within one second share their first 14 digits; a few tries
  // find unused last four. A clash that remains is settled when saving.
  for (int attempt = 0; attempt < 100 && new_names_.count(name); ++attempt) name = MakeNewName();
  new_names_.insert(name);
  return name;
}

vb::String Kesra_Class_UploadFile::UniqueKey(const vb::String& key) {
  vb::String prefix = key.substr(0, key.rfind(separator_) + separator_.size());
  // Keys are only added while parsing: every number below the remembered one is taken.
  int64_t& next = next_numbers_.try_emplace(prefix, 1).first->second;
  for (;; ++next) {
    vb::String candidate = prefix + vb::FromUtf8(std::to_string(next));
    if (!files_->Exists(vb::Variant(candidate))) return candidate;
  }
}

void Kesra_Class_UploadFile::AddField(const vb::String& name, std::string_view data) {
  vb::String value = Decode(data);
  if (const vb::Variant* old = fields_->Find(vb::Variant(name))) value = vb::CStr(*old) + u"," + value;
  fields_->Put(vb::Variant(name), std::move(value));
}

vb::Variant Kesra_Class_UploadFile::ItemOrEmpty(const vb::String& key) const {
  if (const vb::Variant* item = files_->Find(vb::Variant(key))) return *item;
  return vb::Variant(std::make_shared<Kesra_Class_UploadFileEmpty>());
}

vb::Variant Kesra_Class_UploadFile::Forms(const vb::Variant& form_name) const {
  vb::String name = VariantText(form_name);
  if (vb::Trim(name) == u"-1") return vb::Variant(fields_);
  const vb::Variant* value = fields_->Find(vb::Variant(vb::LCase(name)));
  return value ? *value : vb::Variant(vb::String());
}

vb::Variant Kesra_Class_UploadFile::Files(const vb::Variant& form_name) const {
  vb::String name = VariantText(form_name);
  if (vb::Trim(name) == u"-1") return vb::Variant(files_);
  if (name.find(separator_) != vb::String::npos) return ItemOrEmpty(name);
  return ItemOrEmpty(vb::LCase(name) + separator_ + u"0");
}

vb::Variant Kesra_Class_UploadFile::Files_Muti(const vb::Variant& form_name, const vb::Variant& index) const {
  vb::String name = VariantText(form_name);
  if (vb::Trim(name) == u"-1") return vb::Variant(files_);
  return ItemOrEmpty(vb::LCase(name) + separator_ + VariantText(index));
}

int32_t Kesra_Class_UploadFile::QuickSave(const vb::Variant& form_name, const vb::Variant& save_path) {
  vb::String name = VariantText(form_name);
  bool one_key = name.find(separator_) != vb::String::npos;
  vb::String prefix = vb::LCase(name) + separator_;
  // A site path needs the server object of the request being served.
  asp::Context* context = asp::CurrentContext();
  vb::Variant server = context ? context->Server() : vb::Variant::Nothing();
  int32_t saved = 0;
  // A page that took the table whole may have added entries of its own;
  // only the parser's items (text keys, file items) are saved.
  for (const auto& [key_value, item] : files_->Entries()) {
    if (!key_value.IsString()) continue;
    const vb::String& key = key_value.As<vb::String>();
    if (one_key ? key != name : !key.starts_with(prefix)) continue;
    auto file = std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(item.GetObject());
    if (file && file->SavetoFile(server, save_path, int16_t{0}, true)) ++saved;
  }
  return saved;
}

vb::String Kesra_Class_UploadFile::GetSize(const vb::Variant& size) {
  if (size.IsNull()) return {};
  double n = vb::CDbl(com::ValueOf(size));
  if (n < 1024) return vb::FormatNumber(n, 2) + u"B";
  if (n < 1048576) return vb::FormatNumber(n / 1024, 2) + u"KB";
  return vb::FormatNumber(n / 1024 / 1024, 2) + u"MB";
}

const com::MemberTable<Kesra_Class_UploadFile>& Kesra_Class_UploadFile::Members() {
  using Self = Kesra_Class_UploadFile;
  using com::ArgList;
  using vb::Variant;
  static const com::MemberTable<Self> table{
      {u"Mode", com::kLet, 1, 1, LetField(&Self::Mode)},
      {u"MaxSize", com::kGet, 0, 0, GetField(&Self::MaxSize)},
      {u"MaxSize", com::kLet, 1, 1, LetField(&Self::MaxSize)},
      {u"SingleSize", com::kGet, 0, 0, GetField(&Self::SingleSize)},
      {u"SingleSize", com::kLet, 1, 1, LetField(&Self::SingleSize)},
      {u"Exe", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.Exe()); }},
      {u"Exe", com::kLet, 1, 1,
       [](Self& s, ArgList& a) {
         s.SetExe(VariantText(a[0]));
         return Variant();
       }},
      {u"CharSet", com::kLet, 1, 1,
       [](Self& s, ArgList& a) {
         s.CharSet = VariantText(a[0]);
         return Variant();
       }},
      {u"ErrorID", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.ErrorID()); }},
      {u"FileCount", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.FileCount()); }},
      {u"Description", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.Description()); }},
      {u"Version", com::kGet, 0, 0, [](Self&, ArgList&) { return Variant(u"KesraAspUpload V13.01.16"); }},
      {u"TotalSize", com::kGet, 0, 0, [](Self& s, ArgList&) { return ByteCount(s.TotalSize()); }},
      {u"LostTime", com::kGet, 0, 0, [](Self& s, ArgList&) { return s.LostTime(); }},
      {u"GetData", com::kGet, 1, 1,
       [](Self& s, ArgList& a) {
         s.GetData(a[0]);
         return Variant();
       }},
      {u"GetSize", com::kGet, 1, 1, [](Self&, ArgList& a) { return Variant(GetSize(a[0])); }},
      {u"Forms", com::kGet, 1, 1, [](Self& s, ArgList& a) { return s.Forms(a[0]); }},
      {u"Files", com::kGet, 1, 1, [](Self& s, ArgList& a) { return s.Files(a[0]); }},
      {u"Files_Muti", com::kGet, 2, 2, [](Self& s, ArgList& a) { return s.Files_Muti(a[0], a[1]); }},
      {u"QuickSave", com::kGet, 2, 2,
       [](Self& s, ArgList& a) { return Variant(s.QuickSave(a[0], a[1])); }},
  };
  return table;
}

}  // namespace qe
