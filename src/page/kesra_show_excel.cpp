#include "page/kesra_show_excel.h"

#include "common/system_title.h"
#include "page/kesra_show_header.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"
#include "transfer/download_headers.h"

namespace qe {
namespace {

constexpr vb::StringView kHeaderColour = u"#b5f9de";

vb::String Number(int value) { return vb::CStr(vb::Variant(static_cast<int32_t>(value))); }

}  // namespace

vb::String KesraShowExcelHeader() { return u"<head><title>" + SystemTitle() + u"</title></head>"; }

vb::String KesraShowExcelTop(int16_t p_ColspanNumber, vb::String p_Title) {
  return u"<table border='1'><tr align=center height=40><td colspan=" + Number(p_ColspanNumber) +
         u" bgcolor=#e8f24d>" + p_Title + u"</td></tr>";
}

vb::String KesraShowExcelTableHeader(vb::String p_TableHeaderList, vb::String p_Delimiter) {
  std::vector<vb::String> items = vb::SplitParts(p_TableHeaderList, p_Delimiter);
  for (auto& item : items) {
    std::vector<vb::String> fields = vb::SplitParts(item + u"|1|1", u"|");
    // No width: the export's cells take the spreadsheet's own.
    item = fields[0] + u"|0|" + fields[1] + u"|" + fields[2] + u"|" + vb::String(kHeaderColour);
  }
  return KesraShowTableHeader(vb::Join(items, u"$"), 0, u"");
}

vb::String KesraShowExcelBottom(int16_t p_ColspanNumber) {
  return u"<tr align=center height=40><td colspan=" + Number(p_ColspanNumber) + u" bgcolor=65c8f2>来源：" +
         SystemTitle() + u"<br>导出时间：" + vb::CStr(vb::Variant(vb::Now())) + u"</td></tr></table>";
}

vb::String KesraShowExcel(vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Response, vb::String p_Title,
                          int16_t p_ColCount, vb::String p_Content, vb::String p_ContentHeader1,
                          vb::String p_ContentHeader2) {
  com::Let(Response, u"ContentType", vb::String(u"application/vnd.ms-excel"));
  const vb::String name = p_Title + u".xls";
  constexpr vb::StringView kHead = u"attachment;filename=";
  // A line end goes to the response as it stands, which refuses it as it
  // refuses one in any header text.
  const bool line_end = name.find_first_of(u"\r\n") != vb::String::npos;
  com::Call(Response, u"AddHeader", vb::String(u"Content-Disposition"),
            line_end ? vb::String(kHead) + name : AttachmentDisposition(name, kHead));
  vb::String out = KesraShowExcelHeader() + KesraShowExcelTop(p_ColCount, p_Title);
  if (!p_ContentHeader1.empty()) out += KesraShowExcelTableHeader(p_ContentHeader1, u"$");
  if (!p_ContentHeader2.empty()) out += KesraShowExcelTableHeader(p_ContentHeader2, u"$");
  out += p_Content;
  QeCloseData(Rs, Conn);
  return out + KesraShowExcelBottom(p_ColCount);
}

}  // namespace qe
