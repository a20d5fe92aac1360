// The drive's unpack page: a zip or rar archive of the current folder is
// unpacked by the component's archive members into a scratch folder outside
// every drive, counted against the quota, and only then merged into the
// current folder; nothing of it is kept when it would not fit. Room is
// counted as the drive counts it: each file at least a disk block, each
// folder a block. What the archive declares is held to the room first, so
// an archive of thousands of empty folders is refused before anything is
// written.
#include <filesystem>
#include <optional>
#include <vector>

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "host/archive_space.h"
#include "host/netdrive_file_pages.h"
#include "host/netdrive_file_parts.h"
#include "host/netdrive_page_gate.h"
#include "office/net_drive_answers.h"
#include "office/net_drive_space.h"
#include "page/kesra_opener_refresh.h"
#include "platform/com/object.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"
#include "platform/zip/staged_extraction.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;
namespace stdfs = std::filesystem;

constexpr uint8_t kCloseWindow = 1;
constexpr char16_t kFailed[] = u"操作失败";
constexpr char16_t kDone[] = u"操作成功";

// The scratch folder, removed with all it holds whatever happens.
class Scratch {
 public:
  explicit Scratch(Page& page) {
    // A scratch name, so that a mount after a kill clears what it holds.
    site_path_ = u"/temp/" + vb::FromUtf8(fs::ScratchName("unpack-"));
    real_ = vb::CStr(com::Call(page.Server, u"MapPath", site_path_));
    fs::CreateFolderWithParents(real_);
    host_ = fs::ToHostPath(real_);
  }
  ~Scratch() {
    std::error_code ignored;
    stdfs::remove_all(host_, ignored);
  }
  const String& SitePath() const { return site_path_; }
  const String& Real() const { return real_; }
  const stdfs::path& Host() const { return host_; }

 private:
  String site_path_, real_;
  stdfs::path host_;
};

// One entry unpacked, and where it goes.
struct Landing {
  stdfs::path from;
  String to;  // a real path of the current folder
  bool folder;
};

// What the unpacked tree adds to the drive (a new folder its block, a file its
// room less that of the file it replaces), and where each entry lands;
// nothing when an entry would meet a folder with a file, a file with a
// folder, or a link.
std::optional<double> Plan(const Scratch& scratch, const String& real_folder, std::vector<Landing>& landings) {
  double added = 0;
  for (const stdfs::directory_entry& entry : stdfs::recursive_directory_iterator(scratch.Host())) {
    if (entry.is_symlink() || (!entry.is_directory() && !entry.is_regular_file())) return std::nullopt;
    String relative = vb::FromUtf8(stdfs::relative(entry.path(), scratch.Host()).string());
    String to = real_folder + u"\\" + vb::Replace(relative, u"/", u"\\");
    bool folder = entry.is_directory();
    std::optional<stdfs::path> there = fs::ResolveExisting(to);
    if (there && (stdfs::is_symlink(*there) || stdfs::is_directory(*there) != folder)) return std::nullopt;
    if (folder) {
      if (!there) added += qe::netdrive::kDiskBlockBytes;
    } else {
      added += qe::netdrive::FileSpace(static_cast<double>(entry.file_size()));
      if (there) added -= qe::netdrive::FileSpace(static_cast<double>(stdfs::file_size(*there)));
    }
    landings.push_back({entry.path(), to, folder});
  }
  return added;
}

void Land(const std::vector<Landing>& landings) {
  for (const Landing& landing : landings) {
    if (landing.folder) {
      if (!fs::IsExistingFolder(landing.to)) fs::CreateFolderWithParents(landing.to);
      continue;
    }
    std::optional<stdfs::path> there = fs::ResolveExisting(landing.to);
    stdfs::rename(landing.from, there ? *there : fs::ToHostPath(landing.to));
  }
}

String QuotaRefusal(const qe::netdrive::DriveSpace& space) {
  return u"<script language='javascript'>" + qe::netdrive::QuotaAlert(space.Quota()) +
         qe::KesraCloseWindowNoMessagebox() + u"</script>";
}

void Answer(Page& page, const String& script) {
  com::Call(page.Response, u"Write", script);
  com::Call(page.Response, u"End");
}

}  // namespace

void NetDriversUnzipPage(Page& page) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty() || !DriveFromThisSite(page, qe)) return;
  std::optional<DriveFolderPlace> place = RequestedDriveFolder(page, DriveFolder(page));
  if (!place) return;
  String name = DriveRequestText(page, u"p_CurrentFile");
  std::optional<String> archive;
  if (qe::netdrive::IsEntryName(name))
    archive = qe::netdrive::MapInside(page.Server, place->virtual_path + name, place->real, false);
  if (!archive || !qe::KesraFileExist(*archive, 0)) {
    qe::KesraShowErrorPageWithoutData(page.Response, u"文件不存在！", false, u"");
    return;
  }
  String type = vb::LCase(qe::KesraFileGetExt(name, 0));
  // Only unpacking: packing would write into the drive past its quota.
  if (vb::LCase(DriveRequestText(page, u"p_Act")) != u"unzip" || (type != u"zip" && type != u"rar")) {
    Answer(page, qe::KesraOpenerEditRefresh(kFailed, kCloseWindow));
    return;
  }

  std::optional<qe::netdrive::DriveSpace> space =
      qe::netdrive::ReserveSpace(page.Session, page.Response, place->drive, 0, false);
  if (!space) return;
  // What the archive may take: the drive's free room and what the folder
  // takes now (an entry over one already there adds only the difference).
  const double room = space->Free() + qe::netdrive::SpaceTaken(place->real);
  String result;
  try {
    std::optional<double> declared = DeclaredSpace(*fs::ResolveExisting(*archive), room);
    if (declared && *declared > room) {
      Answer(page, QuotaRefusal(*space));
      return;
    }
    Scratch scratch(page);
    stdfs::path copy = scratch.Host() / fs::ResolveExisting(*archive)->filename();
    std::error_code linked;
    stdfs::create_hard_link(*fs::ResolveExisting(*archive), copy, linked);
    if (linked) stdfs::copy_file(*fs::ResolveExisting(*archive), copy);
    // The bytes it unpacks are held to that room as they are written.
    ziparc::ThreadByteCap cap(static_cast<uint64_t>(room));
    result = vb::CStr(com::Call(qe, type == u"zip" ? u"CommUnZipWithXceedZip" : u"CommUnZipWithRar", page.Server,
                                scratch.SitePath(), vb::FromUtf8(copy.filename().string()), String(u"unzip")));
    stdfs::remove(copy);
    if (cap.Reached()) {
      Answer(page, QuotaRefusal(*space));
      return;
    }
    if (result.find(kDone) == String::npos) {
      Answer(page, result);
      return;
    }
    std::vector<Landing> landings;
    std::optional<double> added = Plan(scratch, place->real, landings);
    if (!added) {
      Answer(page, qe::KesraOpenerEditRefresh(kFailed, kCloseWindow));
      return;
    }
    if (!space->Fits(*added)) {
      Answer(page, QuotaRefusal(*space));
      return;
    }
    Land(landings);
    space->Add(*added);
  } catch (const vb::Error&) {
    result = qe::KesraOpenerEditRefresh(kFailed, kCloseWindow);
  } catch (const stdfs::filesystem_error&) {
    result = qe::KesraOpenerEditRefresh(kFailed, kCloseWindow);
  }
  Answer(page, result);
}

}  // namespace host
