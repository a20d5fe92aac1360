#include "office/qe_netdrivers_page.h"

#include "common/kesra_file_operations.h"
#include "office/net_drive.h"
#include "office/net_drive_answers.h"
#include "office/net_drive_space.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using netdrive::Drive;

// The client functions; "@E@" stands for the encoded current folder. Types
// are looked up as "|type|", so the match is exact and case-sensitive.
constexpr char16_t kScript[] =
    u"function upfile(){OpenWindowModalScroll('netdrivers_upload.asp?p_CurrentFolder=@E@',610,440);}"
    u"function down_file(fname){window.location.href='?p_Act=download&p_CurrentFile=@E@'+fname;}"
    u"function zipunzip(p_Act,fname){OpenWindowModalScroll('netdrivers_unzip.asp?p_Act='+p_Act+'&p_CurrentFolder=@E@"
    u"&p_CurrentFile='+fname,420,200);}"
    u"function viewfile(fname,filetype){if(filetype=='folder'){window.location.href='?p_CurrentFolder=@E@'+fname;}"
    u"else{OpenWindowModalScroll('netdrivers_view.asp?p_Act=View&p_CurrentFile=@E@'+fname,420,200);}}"
    u"function editfile(fname,filetype){"
    u"var texttypes='|txt|bat|c|htm|html|css|js|vbs|inc|stm|shtm|shtml|asp|asa|aspx|asax|ascx|asmx|aspa|php|php3|php4|"
    u"jsp|cgi|';"
    u"var binarytypes='|zip|rar|tar|exe|gif|jpg|jpe|jpeg|png|bmp|psd|mdb|doc|ppt|xls|mid|mp3|avi|chm|';"
    u"var key='|'+filetype+'|';"
    u"if(binarytypes.indexOf(key)>=0){alert('该类型文件为非ASCII文件，无法编辑！');return;}"
    u"if(texttypes.indexOf(key)<0&&!confirm('你确定该文件为ASCII类型文件，并编辑它吗？')){return;}"
    u"OpenWindowModalScroll('netdrivers_edit.asp?p_CurrentFile=@E@'+fname,800,550);}"
    u"function ReNameIt(p_Act,p_OldName){var answer=prompt('请输入文件(夹)的新名称：','');"
    u"if(answer!=null){window.location.href='netdrivers_rename.asp?p_Act='+p_Act+'&p_CurrentFolder=@E@&p_OldName='"
    u"+p_OldName+'&p_NewName='+answer;}}"
    u"function create_it(p_Act){var answer=prompt('请输入要创建的文件(夹)的名称：','');"
    u"if(answer!=null){window.location.href='netdrivers_create_del.asp?p_Act='+p_Act+'&p_CurrentFolder=@E@"
    u"&p_CurrentFile='+answer;}}"
    u"function copyfile(p_CopyType,p_CurrentFile){var f=document.delthis;"
    u"f.action='netdrivers_copy.asp?p_CurrentFolder=@E@&p_CurrentFile='+p_CurrentFile+'&p_CopyType='+p_CopyType;"
    u"f.p_Act.value='copy';f.submit();}"
    u"function cutfile(p_CopyType,p_CurrentFile){var f=document.delthis;"
    u"f.action='netdrivers_copy.asp?p_CurrentFolder=@E@&p_CurrentFile='+p_CurrentFile+'&p_CopyType='+p_CopyType;"
    u"f.p_Act.value='cut';f.submit();}"
    u"function pastefile(){window.location.href='?p_Act=paste&p_CurrentFolder=@E@';}"
    u"function delbatch(){if(confirm('你真的要删除该文件或目录吗？')){document.delthis.submit();}}"
    u"function delfile(p_Act,fname){if(confirm('你真的要删除该文件或目录吗？')){"
    u"window.location.href='netdrivers_create_del.asp?p_Act='+p_Act+'&p_CurrentFolder=@E@&p_CurrentFile='+fname;}}"
    u"function selectall(objtype,p_Act){var boxes=(objtype=='files')?document.delthis.files:document.delthis.folders;"
    u"if(!boxes){alert('对不起，当前目录下没有文件（夹）可选择/清除');return;}"
    u"if(boxes.length==undefined){boxes.checked=p_Act;return;}"
    u"for(var i=0;i<boxes.length;i++){boxes[i].checked=p_Act;}}";

std::vector<vb::String> ClipboardNames(vb::Variant& Session, vb::StringView name) {
  vb::String joined = SessionText(Session, name);
  if (joined.empty()) return {};
  return vb::SplitParts(joined, u"\t");
}

// Pastes the clipboard; true when a copy was left out for the quota.
bool Paste(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, const Drive& drive,
           const vb::String& p_CurrentFolder) {
  vb::String act = SessionText(Session, u"p_Act");
  vb::String source = SessionText(Session, u"SourceFolder");
  vb::String working = drive.root + u"/" + p_CurrentFolder;
  if ((act != u"copy" && act != u"cut") || source == working) return false;
  if (!netdrive::HasSafeElements(p_CurrentFolder) || !netdrive::HasSafeElements(source)) return false;
  std::optional<vb::String> target = netdrive::MapInside(Server, working, drive.real_root, true);
  std::optional<vb::String> from = netdrive::MapInside(Server, source, drive.real_root, true);
  if (!target || !from || !KesraFolderExist(*target)) return false;

  bool copy = act == u"copy";
  int16_t quota = QeGetUserSizeNetdriver(Response, Session);
  if (asp::ResponseEnded(Response)) return false;
  bool over_quota = false;
  netdrive::DriveSpace space(drive, quota);
  auto paste_each = [&](vb::StringView list, bool folders) {
    for (const vb::String& name : ClipboardNames(Session, list)) {
      if (!netdrive::IsEntryName(name)) continue;
      std::optional<vb::String> entry = netdrive::MapInside(Server, source + u"/" + name, *from, false);
      std::optional<vb::String> to = netdrive::MapInside(Server, working + u"/" + name, *target, false);
      if (!entry || !to) continue;
      bool there = folders ? KesraFolderExist(*entry) : KesraFileExist(*entry, 0);
      bool taken = folders ? KesraFolderExist(*to) : KesraFileExist(*to, 0);
      if (!there || taken) continue;
      if (copy) {
        // Each copy is a new entry: none once the drive is full.
        double size = netdrive::EntrySpace(*entry);
        if (space.Full() || !space.Fits(size)) {
          over_quota = true;
          continue;
        }
        if ((folders ? KesraFolderCopyMove(*entry, *to, u"copy", u"")
                     : KesraFileCopyMove(*entry, *to, u"copy", u"")) == kFileOperationDone)
          space.Add(size);
      } else if (folders) {
        KesraFolderCopyMove(*entry, *to, u"move", u"");
      } else {
        KesraFileCopyMove(*entry, *to, u"move", u"");
      }
    }
  };
  paste_each(u"folders", true);
  paste_each(u"files", false);
  return over_quota;
}

}  // namespace

vb::String QeNetDriversSave(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response,
                            vb::Variant& /*Request*/, vb::String p_CurrentFolder, vb::String p_Act) {
  std::optional<Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return {};
  bool over_quota = p_Act == u"paste" && Paste(Server, Session, Response, *drive, p_CurrentFolder);
  if (asp::ResponseEnded(Response)) return {};
  vb::String encoded = vb::CStr(com::Call(Server, u"URLEncode", p_CurrentFolder));
  vb::String script = u"<script language='javascript'>";
  if (over_quota) script += netdrive::QuotaAlert(QeGetUserSizeNetdriver(Response, Session));
  script += vb::Replace(kScript, u"@E@", encoded);
  return script + u"</script>";
}

}  // namespace qe
