#include "transfer/kesra_class_upload_file_ex.h"

#include <algorithm>
#include <functional>

#include "platform/com/members.h"
#include "platform/fs/file_write.h"
#include "platform/vb/convert.h"
#include "platform/vb/operators.h"
#include "platform/com/live_objects.h"
#include "platform/com/variant_property.h"
#include "transfer/upload_names.h"

namespace qe {
namespace {

// The stream errors that reading the data gives, as ADO numbers them.
constexpr int32_t kStreamClosed = 3704;
constexpr int32_t kStreamArgument = 3001;

// Searches for a free name stop here; a folder that full is not a real one.
constexpr int kNameAttempts = 10000;

// Writes under `first`, or under the first of next(0), next(1) ... that no
// file has; returns the name used.
vb::String WriteUnderNewName(const vb::String& folder, const vb::String& first, std::string_view bytes,
                             const std::function<vb::String(int)>& next) {
  vb::String name = first;
  for (int n = 0;; ++n) {
    try {
      fs::CreateNewFile(folder + name, bytes);
      return name;
    } catch (const vb::Error& e) {
      if (e.Number() != vb::kFileAlreadyExists || n == kNameAttempts) throw;
    }
    name = next(n);
  }
}

// The name shortened to fit the host: its base gives way, its extension
// (the text after its last ".", when that is `extension`) stays.
vb::String FittedName(const vb::String& name, const vb::String& extension) {
  const vb::String tail = u"." + extension;
  if (name.size() > tail.size() && name.ends_with(tail))
    return FitHostName(vb::StringView(name).substr(0, name.size() - tail.size()), tail);
  return FitHostName(name, u"");
}

}  // namespace

Kesra_Class_UploadFileEx::Kesra_Class_UploadFileEx() : Size(int32_t{0}), FormName(vb::String()) { com::CountObject(1); }
Kesra_Class_UploadFileEx::~Kesra_Class_UploadFileEx() { com::CountObject(-1); }

std::string_view Kesra_Class_UploadFileEx::DataBytes(std::shared_ptr<const BodyBytes>& hold) const {
  hold = body_.lock();
  if (!hold) vb::Raise(kStreamClosed, u"Operation is not allowed when the object is closed.");
  double position = vb::CDbl(com::ValueOf(Position));
  double size = vb::CDbl(com::ValueOf(Size));
  if (position < 0 || size < 0) {
    vb::Raise(kStreamArgument,
              u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.");
  }
  std::string_view all = hold->View();
  size_t begin = static_cast<size_t>(std::min<double>(position, static_cast<double>(all.size())));
  size_t count = static_cast<size_t>(std::min<double>(size, static_cast<double>(all.size() - begin)));
  return all.substr(begin, count);
}

vb::String Kesra_Class_UploadFileEx::SaveFolder(const vb::Variant& server, const vb::Variant& path) const {
  vb::String folder = VariantText(path);
  if (folder.find(u':') != 1) folder = VariantText(com::Call(server, u"MapPath", folder));
  std::replace(folder.begin(), folder.end(), u'/', u'\\');
  if (!folder.ends_with(u'\\')) folder += u'\\';
  return folder;
}

bool Kesra_Class_UploadFileEx::SavetoFile(const vb::Variant& server, const vb::Variant& path,
                                          const vb::Variant& option, const vb::Variant& overwrite) {
  vb::String folder;
  try {
    folder = SaveFolder(server, path);
  } catch (const vb::Error& e) {
    exception_ = e.Description();
    return false;
  }
  try {
    fs::CreateFolderWithParents(folder);
  } catch (const vb::Error&) {
    // The write below fails in a folder that is not there, and says so.
  }
  Path = folder;
  try {
    std::shared_ptr<const BodyBytes> hold;
    std::string_view bytes = DataBytes(hold);
    vb::String extension = VariantText(Extend);
    vb::String user_name = VariantText(UserSetName);
    vb::String name;
    if (vb::Equals(option, int16_t{1})) {
      name = VariantText(LocalName);
    } else if (vb::Equals(option, int16_t{-1}) && !user_name.empty()) {
      name = user_name + u"." + extension;
    } else {
      FileName = WriteUnderNewName(folder, FittedName(VariantText(NewName), extension), bytes,
                                   [&](int) { return FittedName(MakeNewName() + u"." + extension, extension); });
      return true;
    }
    name = FittedName(name, extension);
    if (vb::CBool(com::ValueOf(overwrite))) {
      fs::ReplaceFile(folder + name, bytes);
      FileName = name;
    } else {
      vb::String base = name.substr(0, name.find(u'.'));
      FileName = WriteUnderNewName(folder, name, bytes, [&](int n) {
        return FitHostName(base, u"(" + vb::FromUtf8(std::to_string(n)) + u")" +
                                     (extension.empty() ? u"" : u"." + extension));
      });
    }
    return true;
  } catch (const vb::Error& e) {
    exception_ = e.Description();
    return false;
  }
}

const com::MemberTable<Kesra_Class_UploadFileEx>& Kesra_Class_UploadFileEx::Members() {
  using Self = Kesra_Class_UploadFileEx;
  using com::ArgList;
  using vb::Variant;
  static const com::MemberTable<Self> table{
      {u"Extend", com::kGet, 0, 0, GetField(&Self::Extend)},
      {u"Extend", com::kLet, 1, 1, LetField(&Self::Extend)},
      {u"IsFile", com::kGet, 0, 0, [](Self&, ArgList&) { return Variant(true); }},
      {u"Path", com::kGet, 0, 0, GetField(&Self::Path)},
      {u"Path", com::kLet, 1, 1, LetField(&Self::Path)},
      {u"Exception", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.Exception()); }},
      {u"Value", com::kGet, 0, 0, GetField(&Self::Value)},
      {u"Value", com::kLet, 1, 1, LetField(&Self::Value)},
      {u"Value", com::kSet, 1, 1,
       [](Self& s, ArgList& a) {
         s.Value = a[0];
         return Variant();
       }},
      {u"Size", com::kGet, 0, 0, GetField(&Self::Size)},
      {u"Size", com::kLet, 1, 1, LetField(&Self::Size)},
      {u"Position", com::kGet, 0, 0, GetField(&Self::Position)},
      {u"Position", com::kLet, 1, 1, LetField(&Self::Position)},
      {u"ContentType", com::kGet, 0, 0, GetField(&Self::ContentType)},
      {u"ContentType", com::kLet, 1, 1, LetField(&Self::ContentType)},
      {u"UserSetName", com::kGet, 0, 0, GetField(&Self::UserSetName)},
      {u"UserSetName", com::kLet, 1, 1, LetField(&Self::UserSetName)},
      {u"FileName", com::kGet, 0, 0, GetField(&Self::FileName)},
      {u"FileName", com::kLet, 1, 1, LetField(&Self::FileName)},
      {u"LocalName", com::kGet, 0, 0, GetField(&Self::LocalName)},
      {u"LocalName", com::kLet, 1, 1, LetField(&Self::LocalName)},
      {u"NewName", com::kGet, 0, 0, GetField(&Self::NewName)},
      {u"NewName", com::kLet, 1, 1, LetField(&Self::NewName)},
      {u"FormName", com::kGet, 0, 0, GetField(&Self::FormName)},
      {u"FormName", com::kLet, 1, 1, LetField(&Self::FormName)},
      {u"SavetoFile", com::kGet, 2, 4,
       [](Self& s, ArgList& a) {
         return Variant(s.SavetoFile(a[0], a[1], a.Or(2, int16_t{0}), a.Or(3, true)));
       }},
      {u"GetBytes", com::kGet, 0, 0,
       [](Self& s, ArgList&) {
         std::shared_ptr<const BodyBytes> hold;
         std::string_view bytes = s.DataBytes(hold);
         return Variant(vb::Array::OfBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())));
       }},
  };
  return table;
}

Kesra_Class_UploadFileEmpty::Kesra_Class_UploadFileEmpty() { com::CountObject(1); }
Kesra_Class_UploadFileEmpty::~Kesra_Class_UploadFileEmpty() { com::CountObject(-1); }

const com::MemberTable<Kesra_Class_UploadFileEmpty>& Kesra_Class_UploadFileEmpty::Members() {
  static const com::MemberTable<Kesra_Class_UploadFileEmpty> table{
      {u"IsFile", com::kGet, 0, 0, [](Kesra_Class_UploadFileEmpty&, com::ArgList&) { return vb::Variant(false); }},
  };
  return table;
}

}  // namespace qe
