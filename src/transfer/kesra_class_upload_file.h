#pragma once
// The multipart upload parser (Kesra_Class_UploadFile): reads one
// multipart/form-data request body, checks it against limits on size and
// file types, and offers the text fields by name and the files as items
// (Kesra_Class_UploadFileEx) that can be saved while the parser lives.
//
//   auto upload = std::make_shared<Kesra_Class_UploadFile>();
//   upload->SetExe(u"pic");
//   upload->GetData(request);
//   if (upload->ErrorID() == 0) upload->Files(u"photo") ... ->SavetoFile(server, u"/up", 0, true);
//
// The parser owns the body it read; its items point into it and can no
// longer be read once the parser is released.
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "platform/com/dictionary.h"
#include "platform/com/object.h"
#include "transfer/request_body.h"

namespace qe {

class Kesra_Class_UploadFileEx;

// Outcomes of GetData (ErrorID).
enum UploadErrorId : int32_t {
  kUploadNotRun = -1,
  kUploadDone = 0,
  kUploadTooLarge = 1,       // the files together over MaxSize
  kUploadNotMultipart = 2,   // not a POST with multipart/form-data
  kUploadTypeRefused = 3,    // an extension that Exe does not allow
  kUploadTruncated = 4,      // the body ends before its closing delimiter
  kUploadFileTooLarge = 5,   // one file over SingleSize
  kUploadNoBody = 6,
  kUploadBadFileName = 7,    // a client file name that is ".", ".." or holds a control character
};

class Kesra_Class_UploadFile : public com::Dispatch<Kesra_Class_UploadFile> {
 public:
  Kesra_Class_UploadFile();
  ~Kesra_Class_UploadFile() override;

  static const com::MemberTable<Kesra_Class_UploadFile>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_UploadFile"; }

  // Limits in bytes; 0 or less is no limit.
  vb::Variant MaxSize = int16_t{-1};
  vb::Variant SingleSize = int16_t{-1};
  // 0 reads the body in blocks; anything else in one read.
  vb::Variant Mode = int16_t{0};
  // The character set of part headers and field values.
  vb::String CharSet = u"GB2312";

  // Allowed extensions, "|"-separated; keywords ("pic", "office" ...) expand.
  void SetExe(vb::StringView exe);
  const vb::String& Exe() const { return exe_; }

  int32_t ErrorID() const { return error_id_; }
  vb::String Description() const;
  int32_t FileCount() const { return static_cast<int32_t>(files_->Count()); }
  double TotalSize() const { return total_size_; }
  const vb::Variant& LostTime() const { return lost_time_; }

  // Reads and splits the body of the ASP Request; see ErrorID for the outcome.
  void GetData(const vb::Variant& request);

  // A field's value ("" when not sent); the field table for "-1".
  vb::Variant Forms(const vb::Variant& form_name) const;
  // The first file sent under a name (or the item of a key), the n-th from 0;
  // a Kesra_Class_UploadFileEmpty when there is none; the file table for "-1".
  vb::Variant Files(const vb::Variant& form_name) const;
  vb::Variant Files_Muti(const vb::Variant& form_name, const vb::Variant& index) const;
  // Saves the files sent under a name (a key saves its one file) into a
  // folder, under generated names; returns how many were saved.
  int32_t QuickSave(const vb::Variant& form_name, const vb::Variant& save_path);

  // Lower-cased field name -> text; item key -> Kesra_Class_UploadFileEx,
  // both in the order the parts came.
  const scripting::Dictionary& FileTable() const { return *files_; }
  const scripting::Dictionary& FieldTable() const { return *fields_; }

  // Size text with two decimals: "512.00B", "1.50KB", "2.00MB"; "" for Null.
  static vb::String GetSize(const vb::Variant& size);

 private:
  bool ParseParts(std::string_view body);
  bool AddFile(const vb::String& header, size_t data_offset, size_t data_size);
  void AddField(const vb::String& name, std::string_view data);
  vb::String Decode(std::string_view bytes) const;
  bool IsExtDenied(vb::StringView extension) const;
  vb::String UniqueNewName();
  vb::String UniqueKey(const vb::String& key);
  vb::Variant ItemOrEmpty(const vb::String& key) const;

  vb::String exe_;
  int32_t error_id_ = kUploadNotRun;
  double total_size_ = 0;
  vb::Variant lost_time_;
  vb::String separator_;
  std::shared_ptr<scripting::Dictionary> fields_ = std::make_shared<scripting::Dictionary>();
  std::shared_ptr<scripting::Dictionary> files_ = std::make_shared<scripting::Dictionary>();
  std::shared_ptr<const BodyBytes> body_;
  std::unordered_set<vb::String> new_names_;
  // The number each name's next file tries first: a request of thousands of
  // files under one name must not try every number taken before for each.
  std::unordered_map<vb::String, int64_t> next_numbers_;
};

}  // namespace qe
