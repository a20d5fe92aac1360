// The dialog frames' HTML, exact, and the façade members that choose their
// look. Their behaviour in a browser is tested by tests/browser.
#include <gtest/gtest.h>

#include <vector>

#include "common/kesra_style.h"
#include "page/kesra_show_dialog.h"
#include "platform/com/object.h"
#include "facade/qecls.h"

namespace {

int32_t ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

vb::String FramePart(const vb::String& frame) {
  const vb::String head = qe::KesraStyleDialog() + qe::KesraStylePopupClose() + qe::KesraShowDialogFrameScript();
  EXPECT_EQ(frame.substr(0, head.size()), head);
  return frame.substr(head.size());
}

TEST(KesraShowDialogFrame, BlankIdGivesDialogAndTheBodyIs25Lower) {
  const vb::String expected =
      u"<dialog class=\"dialog\" id=\"Dialog\">"
      u"<div class=\"dialog-header\" id=\"Title_Dialog\" style=\"float:left;width:600px;height:30px;text-align:center;"
      u"line-height:30px;font-size:16px;font-weight:normal;z-index:1;\">对话框标题</div>"
      u"<div class=\"popup-close\" id=\"Close_Dialog\" style=\"float:right;z-index:2;\" "
      u"onClick=\"document.getElementById('Dialog').close();window.location.reload(true);\"></div>"
      u"<div class=\"dialog-body\" id=\"Body_Dialog\" style=\"padding:4px 0 0 0;float:left;width:600px;height:375px;\">"
      u"<div class=\"dialog-iframe-overlay\" id=\"Frame_Dialog_OverLay\"></div>"
      u"<iframe class=\"css0\" id=\"Frame_Dialog\" src=\"\" style=\"width:600px;height:375px;padding:0px;margin:0px;"
      u"border:none;overflow:hidden;\"></iframe>"
      u"</div></dialog>";
  EXPECT_EQ(FramePart(qe::KesraShowDialogFrame(600, 400, true, u"")), expected);
  EXPECT_EQ(FramePart(qe::KesraShowDialogFrame(600, 400, true, u"   ")), expected);
}

TEST(KesraShowDialogFrame, WithoutRefreshTheCloseControlOnlyCloses) {
  EXPECT_EQ(FramePart(qe::KesraShowDialogFrame(-5, 10, false, u"Edit 1")),
            u"<dialog class=\"dialog\" id=\"Edit 1\">"
            u"<div class=\"dialog-header\" id=\"Title_Edit 1\" style=\"float:left;width:-5px;height:30px;text-align:center;"
            u"line-height:30px;font-size:16px;font-weight:normal;z-index:1;\">对话框标题</div>"
            u"<div class=\"popup-close\" id=\"Close_Edit 1\" style=\"float:right;z-index:2;\" "
            u"onClick=\"document.getElementById('Edit 1').close();\"></div>"
            u"<div class=\"dialog-body\" id=\"Body_Edit 1\" style=\"padding:4px 0 0 0;float:left;width:-5px;height:-15px;\">"
            u"<div class=\"dialog-iframe-overlay\" id=\"Frame_Edit 1_OverLay\"></div>"
            u"<iframe class=\"css0\" id=\"Frame_Edit 1\" src=\"\" style=\"width:-5px;height:-15px;padding:0px;margin:0px;"
            u"border:none;overflow:hidden;\"></iframe>"
            u"</div></dialog>");
}

TEST(KesraShowDialogFrame, BodyHeightOverflowsPast16Bits) {
  EXPECT_EQ(ErrorOf([] { qe::KesraShowDialogFrame(600, -32744, true, u""); }), vb::kOverflow);
  EXPECT_EQ(ErrorOf([] { qe::KesraShowDialogFrame(600, INT16_MIN, true, u""); }), vb::kOverflow);
  EXPECT_NE(qe::KesraShowDialogFrame(600, -32743, true, u"").find(u"height:-32768px;"), vb::String::npos);
  EXPECT_NE(qe::KesraShowDialogFrame(INT16_MAX, INT16_MAX, true, u"").find(u"height:32742px;"), vb::String::npos);
}

std::vector<vb::String> LinesOf(const vb::String& text) {
  std::vector<vb::String> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(u"\r\n", start)) != vb::String::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "the text ends with CR LF";
  for (const vb::String& line : lines) EXPECT_EQ(line.find_first_of(u"\r\n"), vb::String::npos);
  return lines;
}

// The style block and the elements, line by line.
std::vector<vb::String> DivFrameHtml(const vb::String& id, const vb::String& close_line, const char16_t* width,
                                     const char16_t* height) {
  return {
      u"<style>",
      u".div-dialog-overlay {position: fixed;top: 0;left: 0;width: 100%;height: 100%;background: rgba(0, 0, 0, 0.5);"
      u"display: none;z-index: 1000;}",
      vb::String(u".div-dialog {position: fixed;background: white;border-radius: 8px;"
                 u"box-shadow: 0 10px 25px rgba(0,0,0,0.2);width: ") +
          width + u"px;height: " + height + u"px;display: none;flex-direction: column;z-index: 1001;overflow: hidden;}",
      u".div-dialog-title {padding: 12px 16px;background: #4285f4;color: white;font-size: 16px;font-weight: normal;"
      u"cursor: move;user-select: none;}",
      u".div-dialog-body {padding: 4px 4px;overflow-y: auto;flex: 1;}",
      u".div-dialog-footer {padding: 12px 16px;text-align: right;border-top: 1px solid #eee;}",
      u".div-dialog-btn {padding: 6px 12px;margin-left: 8px;border: none;border-radius: 4px;cursor: pointer;}",
      u".div-dialog-btn-close {position: absolute;right: 10px;top: 12px;transform: translateY(-50%);"
      u"background: transparent;border: none;color: white;font-size: 1.5rem;cursor: pointer;transition: transform 0.2s;}",
      u".div-dialog-btn-close:hover {transform: translateY(-50%) scale(1.2);}",
      u"</style>",
      u"<div class=\"div-dialog-overlay\" id=\"" + id + u"_Overly\"></div>",
      u"<div class=\"div-dialog\" id=\"" + id + u"\">",
      u"<div class=\"div-dialog-title\" id=\"" + id + u"_Title\">标题栏</div>",
      close_line,
      u"<div class=\"div-dialog-body\" id=\"" + id + u"_Body\">",
      u"<iframe id=\"" + id + u"_Frame\" src=\"\" style=\"width: 100%;height: 100%;border: none;\"></iframe>",
      u"</div>",
      u"<div class=\"div-dialog-footer\"></div>",
      u"</div>",
  };
}

void ExpectDivFrame(const vb::String& frame, const std::vector<vb::String>& html) {
  std::vector<vb::String> lines = LinesOf(frame);
  ASSERT_GT(lines.size(), html.size());
  for (size_t i = 0; i < html.size(); ++i) EXPECT_EQ(lines[i], html[i]) << "line " << i + 1;
  EXPECT_EQ(lines[html.size()], u"<script>");
  EXPECT_EQ(lines.back(), u"</script>");
}

TEST(KesraShowDialogDivFrame, EmptyIdGivesBareSuffixes) {
  ExpectDivFrame(qe::KesraShowDialogDivFrame(600, 400, true, u""),
                 DivFrameHtml(u"",
                              u"<button class=\"div-dialog-btn-close\" id=\"_CloseBtn\" aria-label=\"关闭\"onClick=\""
                              u"divCloseDialog();window.location.reload(true);\">×</button>",
                              u"600", u"400"));
}

TEST(KesraShowDialogDivFrame, IdTakenAsGivenAndCloseWithoutReload) {
  ExpectDivFrame(qe::KesraShowDialogDivFrame(100, -1, false, u" d "),
                 DivFrameHtml(u" d ",
                              u"<button class=\"div-dialog-btn-close\" id=\" d _CloseBtn\" aria-label=\"关闭\"onClick=\""
                              u"divCloseDialog();\">×</button>",
                              u"100", u"-1"));
}

TEST(KesraShowDialogDivFrame, ScriptLinesWithItsThreeOneLineRuns) {
  std::vector<vb::String> lines = LinesOf(qe::KesraShowDialogDivFrame(600, 400, true, u"x"));
  auto line_with = [&](const vb::String& piece) {
    for (const vb::String& line : lines)
      if (line.find(piece) != vb::String::npos) return line;
    return vb::String();
  };
  // The resize handler through the overlay test, on one line.
  vb::String resize = line_with(u"window.addEventListener('resize'");
  EXPECT_EQ(resize.find(u"window.addEventListener('resize',function(){"), 0u);
  EXPECT_TRUE(resize.ends_with(u"divDialogOverly.KesraCloseOnClick=(p_DialogCloseByOverly==1);"));
  // In divCloseDialog, the transform with the left position.
  EXPECT_EQ(line_with(u"divDialog.style.transform='translate(-50%, -50%)';divDialog.style."),
            u"divDialog.style.transform='translate(-50%, -50%)';divDialog.style.left='50%';");
}

TEST(QeClsDialogMembers, PlainLookByDefaultAndSizesPast16BitsOverflow) {
  auto qe = vb::Variant(std::make_shared<qe::QeCls>());
  vb::Variant frame = com::Call(qe, u"CommShowDialogFrame", 600, 400);
  EXPECT_EQ(frame, vb::Variant(qe::KesraShowDialogFrame(600, 400, true, u"")));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogDivFrame", 600, 400),
            vb::Variant(qe::KesraShowDialogDivFrame(600, 400, true, u"")));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrameScript"), vb::Variant(qe::KesraShowDialogFrameScript()));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrame", 300, 200, true, false, u"D"),
            vb::Variant(qe::KesraShowDialogFrame(300, 200, false, u"D")));

  EXPECT_EQ(ErrorOf([&] { com::Call(qe, u"CommShowDialogFrame", 600, -32768); }), vb::kOverflow);
  EXPECT_EQ(ErrorOf([&] { com::Call(qe, u"CommShowDialogFrame", 40000, 400); }), vb::kOverflow);
}

}  // namespace
