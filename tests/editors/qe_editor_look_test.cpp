// The editor's stylesheet and icon sprite: the selectors the markup relies on
// in their order, the declarations that carry behaviour, the sprite's symbols,
// the picker's tiles, and the committed files against their generator.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "editors/kesra_qe_editor.h"
#include "platform/vb/convert.h"
#include "support/file_content.h"

namespace {

namespace stdfs = std::filesystem;

struct Rule {
  std::string selector;
  std::vector<std::string> declarations;
};

std::string Css() { return vb::ToUtf8(qe::KesraQeEditorCss()); }
std::string Svg() { return vb::ToUtf8(qe::KesraQeEditorSvg()); }

const std::string kKeyframes = "@keyframes qeEditorPopup{from{top:-100px;opacity:0}to{top:0;opacity:1}}";

// The rules before the keyframes block, as written.
std::vector<Rule> Rules() {
  std::string css = Css();
  css = css.substr(0, css.find("@keyframes"));
  std::vector<Rule> rules;
  for (size_t at = 0; at < css.size();) {
    size_t open = css.find('{', at), close = css.find('}', open);
    Rule rule{css.substr(at, open - at), {}};
    std::string body = css.substr(open + 1, close - open - 1);
    for (size_t start = 0; start <= body.size();) {
      size_t end = std::min(body.find(';', start), body.size());
      rule.declarations.push_back(body.substr(start, end - start));
      start = end + 1;
    }
    rules.push_back(rule);
    at = close + 1;
  }
  return rules;
}

TEST(KesraQeEditorCss, HasTheSelectorsInOrderThenTheKeyframes) {
  const std::vector<std::string> expected = {
      ".qeEditor", ".qeEditor *", ".qeEditor a", ".qeEditor a:hover", ".qeEditor ul", ".qeEditor-line",
      ".qeEditor-row", ".qeEditor-group", ".qeEditor-group label", ".qeEditor input", ".qeEditor-exec",
      ".qeEditor-icon", ".qeEditor-noselect", ".qeEditor-menuDropdown", ".qeEditor-menuDropdown::before",
      ".qeEditor-menuDropdown::after", ".qeEditor-menuTitle", ".qeEditor-tool", ".qeEditor-tool:after,.qeEditor-tool:before", ".qeEditor-tool:after",
      ".qeEditor-menu", ".qeEditor-menu a", ".qeEditor-menu a:hover", ".qeEditor-menu>li>div.qeEditor-exec",
      ".qeEditor-menu>li>div.qeEditor-exec:hover", ".qeEditor-menu svg", ".qeEditor-menu .qeEditor-active",
      ".qeEditor-menu .qeEditor-actives,.qeEditor-menu .qeEditor-active-s", ".qeEditor-menu .qeEditor-disabledMask",
      ".qeEditor-menu li", ".qeEditor-menu li .qeEditor-menuDropdown.qeEditor-menuActive",
      ".qeEditor-menu li.qeEditor-minWindow", ".qeEditor-menu li.qeEditor-maxWindow,.qeEditor-menu li.qeEditor-minWindow",
      ".qeEditor-menu li.qeEditor-maxWindow>div,.qeEditor-menu li.qeEditor-minWindow>div",
      ".qeEditor-menu li.qeEditor-maxWindow .qeEditor-icon,.qeEditor-menu li.qeEditor-minWindow .qeEditor-icon",
      ".qeEditor-codeLanguages select", ".qeEditor input.qeEditor-uploadInput", ".qeEditor-uploadBtn",
      ".qeEditor-uploadBtn:hover", ".qeEditor-uploadIcon", ".qeEditor-backColor", ".qeEditor-backColor span",
      ".qeEditor-fontSize", ".qeEditor-fontSize li", ".qeEditor-fontSize span", ".qeEditor-fontSize span:hover",
      ".qeEditor-createLink label", ".qeEditor .qeEditor-link", ".qeEditor-popup .qeEditor-insertImage",
      ".qeEditor-popup .qeEditor-insertImageUrl", ".qeEditor-popup .qeEditor-inputWidth",
      ".qeEditor-popup .qeEditor-inputHeight", ".qeEditor-popup .qeEditor-btn", ".qeEditor-popup .qeEditor-btn:hover",
      ".qeEditor-tableBox", ".qeEditor-tableBgOn", ".qeEditor-tableBgOff", ".qeEditor-tableNum", ".qeEditor-video",
      ".qeEditor-video label", ".qeEditor-video input", ".qeEditor-video div", ".qeEditor-popup .qeEditor-videoUrl",
      ".qeEditor-content", ".qeEditor-content:focus", ".qeEditor-dragBg", ".qeEditor-drag", ".qeEditor-disabled",
      ".qeEditor-popup", ".qeEditor-popupMain", ".qeEditor-popupBox", ".qeEditor-popupTitle",
      ".qeEditor-popupTitle span", ".qeEditor-popupTitle::before", ".qeEditor-popupClose", ".qeEditor-popupClose:hover",
      ".qeEditor-popupContent", ".qeEditor-popupBtn", ".qeEditor-popupBtn:hover"};
  ASSERT_EQ(expected.size(), 79u);
  std::vector<std::string> selectors;
  for (const Rule& rule : Rules()) selectors.push_back(rule.selector);
  EXPECT_EQ(selectors, expected);
  EXPECT_TRUE(Css().ends_with(kKeyframes));
}

TEST(KesraQeEditorCss, BehaviourRulesCarryTheirDeclarations) {
  const std::map<std::string, std::vector<std::string>> wanted = {
      {".qeEditor", {"color:#353535!important", "font-family:\"Microsoft YaHei\"", "font-size:14px!important",
                     "background:#fff", "position:relative", "border:solid 1px #ccc"}},
      {".qeEditor *", {"margin:0", "padding:0", "box-sizing:border-box", "font-size:14px"}},
      {".qeEditor-line", {"height:20px", "width:1px", "background:#cecece", "margin:8px 8px 0 8px !important"}},
      {".qeEditor-icon", {"width:22px", "height:16px", "fill:currentColor", "overflow:hidden", "vertical-align:middle",
                          "font-size:16px"}},
      {".qeEditor-menuDropdown", {"min-width:35px", "min-height:35px", "transition:all .4s ease", "margin-top:60px",
                                  "opacity:0", "visibility:hidden", "position:absolute", "background:#fff",
                                  "z-index:999", "box-shadow:0 2px 9px 0 rgba(0,0,0,.2)",
                                  "border-bottom:2px solid #676767", "border-top:1px solid #676767"}},
      {".qeEditor-menu li .qeEditor-menuDropdown.qeEditor-menuActive",
       {"margin-top:44px", "opacity:1", "visibility:visible"}},
      {".qeEditor-menu>li>div.qeEditor-exec", {"list-style:none", "float:left", "min-width:35px", "height:35px",
                                               "padding:0 5px", "text-align:center", "line-height:35px",
                                               "cursor:pointer"}},
      {".qeEditor-menu .qeEditor-active", {"background:#e0e0e0", "position:relative", "z-index:999"}},
      {".qeEditor-menu .qeEditor-actives,.qeEditor-menu .qeEditor-active-s", {"background:#d8d8d8"}},
      {".qeEditor-menu .qeEditor-disabledMask", {"background:rgba(238,238,238,0.7)", "width:100%", "height:100%",
                                                 "position:absolute", "left:0", "top:0", "display:none"}},
      {".qeEditor-menu li.qeEditor-minWindow", {"display:none"}},
      {".qeEditor-menu li.qeEditor-maxWindow,.qeEditor-menu li.qeEditor-minWindow", {"float:right"}},
      {".qeEditor input.qeEditor-uploadInput", {"display:none!important"}},
      {".qeEditor-uploadBtn", {"background:#00b7ee", "height:40px", "line-height:40px", "padding:0 30px", "color:#fff"}},
      {".qeEditor-uploadBtn:hover", {"background:#009ccb"}},
      {".qeEditor-backColor", {"width:230px", "padding:5px!important"}},
      {".qeEditor-backColor span", {"width:20px", "height:20px", "margin:1px"}},
      {".qeEditor-tableBox", {"position:relative", "width:190px", "height:214px", "padding:5px", "overflow:hidden"}},
      {".qeEditor-tableBgOn", {"position:absolute!important", "top:5px", "left:5px", "z-index:4", "width:18px",
                               "height:18px"}},
      {".qeEditor-tableBgOff", {"width:180px", "height:180px"}},
      {".qeEditor-dragBg", {"position:absolute", "width:100%", "height:100%", "top:0", "left:0", "z-index:1",
                            "display:none"}},
      {".qeEditor-drag", {"color:#757575", "background:#eee", "text-align:center", "height:12px", "line-height:0",
                          "cursor:n-resize"}},
      {".qeEditor-disabled", {"position:absolute", "width:100%", "height:100%", "top:0", "left:0",
                              "background:rgba(191,191,191,.79)", "z-index:99999", "display:none"}},
      {".qeEditor-popup", {"display:none"}},
      {".qeEditor-popupMain", {"width:400px", "height:200px", "position:fixed", "margin:auto", "top:0", "bottom:0",
                               "left:0", "right:0", "background:#fff", "z-index:9999", "animation-name:qeEditorPopup",
                               "animation-duration:.5s"}},
      {".qeEditor-popupBox", {"position:fixed", "width:100%", "height:100%", "top:0", "left:0",
                              "background:rgba(0,0,0,.33)", "opacity:.5", "z-index:1"}},
      {".qeEditor-popupTitle", {"height:30px", "line-height:30px", "background:#2f2f2f", "padding:0 10px",
                                "color:#fff"}},
      {".qeEditor-popupTitle::before", {"width:10px", "height:10px", "border-radius:50%", "background:#c7f98c"}},
  };
  std::map<std::string, std::vector<std::string>> written;
  for (const Rule& rule : Rules()) written[rule.selector] = rule.declarations;
  for (const auto& [selector, declarations] : wanted) {
    SCOPED_TRACE(selector);
    ASSERT_EQ(written.count(selector), 1u);
    for (const std::string& declaration : declarations)
      EXPECT_NE(std::find(written[selector].begin(), written[selector].end(), declaration), written[selector].end())
          << declaration;
  }
}

TEST(KesraQeEditorLook, TextsFitASingleQuotedScriptLiteral) {
  for (const std::string& text : {Css(), Svg()}) {
    for (const char* bad : {"'", "\\", "\t", "\r", "\n", "  "}) EXPECT_EQ(text.find(bad), std::string::npos) << bad;
    for (unsigned char c : text) EXPECT_LT(c, 0x80);  // the page's code page keeps every character
  }
}

TEST(KesraQeEditorSvg, HasTheSymbolsWithTheirViewBoxes) {
  const std::string svg = Svg();
  EXPECT_TRUE(svg.starts_with("<svg><symbol "));
  EXPECT_TRUE(svg.ends_with("</symbol></svg>"));
  const std::vector<std::string> names = {
      "word", "face", "music", "dir", "aligncenter", "alignleft", "alignright", "corner", "help", "indent", "link",
      "orderedlist", "outdent", "symbol", "strike", "table", "underline", "unlink", "backColor", "code", "files", "list",
      "save", "min", "product", "empty", "video", "pic", "bold", "max", "del", "unorderedlist", "remove", "fontSize",
      "quote", "font", "lookup", "italic", "format", "subscript", "superscript", "drag", "foreColor", "tab"};
  const std::map<std::string, std::string> wide = {{"link", "1025"},      {"unlink", "1025"},   {"save", "1029"},
                                                   {"video", "1110"},     {"subscript", "1157"},
                                                   {"superscript", "1157"}};
  std::regex symbol("<symbol id=\"icon-([A-Za-z]+)\" viewBox=\"0 0 ([0-9]+) 1024\">(.*?)</symbol>");
  std::vector<std::string> found;
  size_t paths = 0;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), symbol); it != std::sregex_iterator(); ++it) {
    std::string name = (*it)[1], width = (*it)[2], body = (*it)[3];
    found.push_back(name);
    EXPECT_EQ(width, wide.count(name) ? wide.at(name) : "1024") << name;
    size_t in_symbol = 0;
    for (size_t at = body.find("<path d=\"M"); at != std::string::npos; at = body.find("<path d=\"M", at + 1))
      ++in_symbol;
    EXPECT_GE(in_symbol, 1u) << name;
    paths += in_symbol;
  }
  EXPECT_EQ(found, names);
  EXPECT_EQ(paths, 55u);
}

// --- The picker's tiles -----------------------------------------------------

uint32_t Big32(const std::string& bytes, size_t at) {
  return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
         (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
}

std::string Base64Decode(const std::string& text) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | uint32_t(alphabet.find(c));
    if ((count += 6) >= 8) {
      count -= 8;
      out += char((bits >> count) & 0xff);
    }
  }
  return out;
}

struct Tile {
  std::map<std::string, std::string> chunks;  // IHDR, PLTE, IDAT (joined), IEND
  std::string pixels;                          // inflated scan lines
};

Tile ReadTile(const std::string& png) {
  Tile tile;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t length = Big32(png, at);
    std::string kind = png.substr(at + 4, 4), data = png.substr(at + 8, length);
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    EXPECT_EQ(Big32(png, at + 8 + length), crc) << kind;
    tile.chunks[kind] += data;
    at += 12 + length;
  }
  std::string& idat = tile.chunks["IDAT"];
  tile.pixels.resize(1024);
  uLongf size = tile.pixels.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(tile.pixels.data()), &size,
                       reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
            Z_OK);
  tile.pixels.resize(size);
  return tile;
}

std::string TileOf(const std::string& selector) {
  std::regex rule(std::regex_replace(selector, std::regex("\\."), "\\.") +
                  "\\{[^}]*background:url\\(data:image/png;base64,([A-Za-z0-9+/=]+)\\) repeat[;}]");
  std::smatch match;
  std::string css = Css();
  EXPECT_TRUE(std::regex_search(css, match, rule)) << selector;
  return match.size() > 1 ? Base64Decode(match[1]) : std::string();
}

TEST(KesraQeEditorCss, PickerTilesAre18By18WithA2BitPalette) {
  const std::string on = TileOf(".qeEditor-tableBgOn"), off = TileOf(".qeEditor-tableBgOff");
  EXPECT_NE(on, off);
  for (const std::string& png : {on, off}) {
    Tile tile = ReadTile(png);
    const std::string& header = tile.chunks["IHDR"];
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(Big32(header, 0), 18u);
    EXPECT_EQ(Big32(header, 4), 18u);
    EXPECT_EQ(header.substr(8, 5), std::string("\x02\x03\x00\x00\x00", 5));  // 2 bits, palette, no interlace
    size_t colours = tile.chunks["PLTE"].size() / 3;
    EXPECT_TRUE(colours >= 2 && colours <= 4 && tile.chunks["PLTE"].size() % 3 == 0);
    EXPECT_EQ(tile.chunks.count("IEND"), 1u);
    // 18 rows of a filter byte and five bytes of four pixels each.
    ASSERT_EQ(tile.pixels.size(), 18u * 6u);
    for (size_t row = 0; row < 18; ++row) {
      EXPECT_EQ(tile.pixels[row * 6], '\0');
      for (size_t x = 0; x < 18; ++x) {
        unsigned byte = uint8_t(tile.pixels[row * 6 + 1 + x / 4]);
        EXPECT_LT((byte >> (6 - 2 * (x % 4))) & 3u, colours);
      }
    }
  }
}

// --- The committed files ------------------------------------------------------

TEST(KesraQeEditorLook, CommittedFilesAreWhatTheGeneratorWrites) {
  const stdfs::path source = stdfs::path(QE_SOURCE_DIR);
  const stdfs::path out = stdfs::temp_directory_path() / ("qe_editor_look_" + std::to_string(::getpid()));
  std::string command = std::string(QE_PYTHON) + " '" + (source / "tools" / "gen_qe_editor_look.py").string() + "' '" +
                        out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const char* name : {"qe_editor.css", "qe_editor.svg"}) {
    EXPECT_EQ(qe_test::FileContent(out / name), qe_test::FileContent(source / "src" / "editors" / name))
        << name << ": run tools/gen_qe_editor_look.py src/editors and commit what it writes";
  }
  stdfs::remove_all(out);
  EXPECT_EQ(Css(), qe_test::FileContent(source / "src" / "editors" / "qe_editor.css"));
  EXPECT_EQ(Svg(), qe_test::FileContent(source / "src" / "editors" / "qe_editor.svg"));
}

}  // namespace
