#include "editors/kesra_ubb_edit.h"

namespace qe {
namespace {

// The example addresses of the help and prompt texts.
struct ExampleAddresses {
  const char16_t* mail;
  const char16_t* web;
  const char16_t* picture;
};
constexpr ExampleAddresses kExamples{u"webmaster@example.com", u"http://www.example.com",
                                     u"http://www.example.com/images/logo.gif"};

constexpr ubb::NamedColour kColours[] = {
    {u"aliceblue", u"F0F8FF"}, {u"antiquewhite", u"FAEBD7"}, {u"aqua", u"00FFFF"}, {u"aquamarine", u"7FFFD4"},
    {u"azure", u"F0FFFF"}, {u"beige", u"F5F5DC"}, {u"bisque", u"FFE4C4"}, {u"black", u"000000"},
    {u"blanchedalmond", u"FFEBCD"}, {u"blue", u"0000FF"}, {u"blueviolet", u"8A2BE2"}, {u"brown", u"A52A2A"},
    {u"burlywood", u"DEB887"}, {u"cadetblue", u"5F9EA0"}, {u"chartreuse", u"7FFF00"}, {u"chocolate", u"D2691E"},
    {u"coral", u"FF7F50"}, {u"cornflowerblue", u"6495ED"}, {u"cornsilk", u"FFF8DC"}, {u"crimson", u"DC143C"},
    {u"cyan", u"00FFFF"}, {u"darkblue", u"00008B"}, {u"darkcyan", u"008B8B"}, {u"darkgoldenrod", u"B8860B"},
    {u"darkgray", u"A9A9A9"}, {u"darkgreen", u"006400"}, {u"darkkhaki", u"BDB76B"}, {u"darkmagenta", u"8B008B"},
    {u"darkolivegreen", u"556B2F"}, {u"darkorange", u"FF8C00"}, {u"darkorchid", u"9932CC"},
    {u"darkred", u"8B0000"}, {u"darksalmon", u"E9967A"}, {u"darkseagreen", u"8FBC8F"},
    {u"darkslateblue", u"483D8B"}, {u"darkslategray", u"2F4F4F"}, {u"darkturquoise", u"00CED1"},
    {u"darkviolet", u"9400D3"}, {u"deeppink", u"FF1493"}, {u"deepskyblue", u"00BFFF"}, {u"dimgray", u"696969"},
    {u"dodgerblue", u"1E90FF"}, {u"firebrick", u"B22222"}, {u"floralwhite", u"FFFAF0"},
    {u"forestgreen", u"228B22"}, {u"fuchsia", u"FF00FF"}, {u"gainsboro", u"DCDCDC"}, {u"ghostwhite", u"F8F8FF"},
    {u"gold", u"FFD700"}, {u"goldenrod", u"DAA520"}, {u"gray", u"808080"}, {u"green", u"008000"},
    {u"greenyellow", u"ADFF2F"}, {u"honeydew", u"F0FFF0"}, {u"hotpink", u"FF69B4"}, {u"indianred", u"CD5C5C"},
    {u"indigo", u"4B0082"}, {u"ivory", u"FFFFF0"}, {u"khaki", u"F0E68C"}, {u"lavender", u"E6E6FA"},
    {u"lavenderblush", u"FFF0F5"}, {u"lawngreen", u"7CFC00"}, {u"lemonchiffon", u"FFFACD"},
    {u"lightblue", u"ADD8E6"}, {u"lightcoral", u"F08080"}, {u"lightcyan", u"E0FFFF"},
    {u"lightgoldenrodyellow", u"FAFAD2"}, {u"lightgreen", u"90EE90"}, {u"lightgrey", u"D3D3D3"},
    {u"lightpink", u"FFB6C1"}, {u"lightsalmon", u"FFA07A"}, {u"lightseagreen", u"20B2AA"},
    {u"lightskyblue", u"87CEFA"}, {u"lightslategray", u"778899"}, {u"lightsteelblue", u"B0C4DE"},
    {u"lightyellow", u"FFFFE0"}, {u"lime", u"00FF00"}, {u"limegreen", u"32CD32"}, {u"linen", u"FAF0E6"},
    {u"magenta", u"FF00FF"}, {u"maroon", u"800000"}, {u"mediumaquamarine", u"66CDAA"}, {u"mediumblue", u"0000CD"},
    {u"mediumorchid", u"BA55D3"}, {u"mediumpurple", u"9370DB"}, {u"mediumseagreen", u"3CB371"},
    {u"mediumslateblue", u"7B68EE"}, {u"mediumspringgreen", u"00FA9A"}, {u"mediumturquoise", u"48D1CC"},
    {u"mediumvioletred", u"C71585"}, {u"midnightblue", u"191970"}, {u"mintcream", u"F5FFFA"},
    {u"mistyrose", u"FFE4E1"}, {u"moccasin", u"FFE4B5"}, {u"navajowhite", u"FFDEAD"}, {u"navy", u"000080"},
    {u"oldlace", u"FDF5E6"}, {u"olive", u"808000"}, {u"olivedrab", u"6B8E23"}, {u"orange", u"FFA500"},
    {u"orangered", u"FF4500"}, {u"orchid", u"DA70D6"}, {u"palegoldenrod", u"EEE8AA"}, {u"palegreen", u"98FB98"},
    {u"paleturquoise", u"AFEEEE"}, {u"palevioletred", u"DB7093"}, {u"papayawhip", u"FFEFD5"},
    {u"peachpuff", u"FFDAB9"}, {u"peru", u"CD853F"}, {u"pink", u"FFC0CB"}, {u"plum", u"DDA0DD"},
    {u"powderblue", u"B0E0E6"}, {u"purple", u"800080"}, {u"red", u"FF0000"}, {u"rosybrown", u"BC8F8F"},
    {u"royalblue", u"4169E1"}, {u"saddlebrown", u"8B4513"}, {u"salmon", u"FA8072"}, {u"sandybrown", u"F4A460"},
    {u"seagreen", u"2E8B57"}, {u"seashell", u"FFF5EE"}, {u"sienna", u"A0522D"}, {u"silver", u"C0C0C0"},
    {u"skyblue", u"87CEEB"}, {u"slateblue", u"6A5ACD"}, {u"slategray", u"708090"}, {u"snow", u"FFFAFA"},
    {u"springgreen", u"00FF7F"}, {u"steelblue", u"4682B4"}, {u"tan", u"D2B48C"}, {u"teal", u"008080"},
    {u"thistle", u"D8BFD8"}, {u"tomato", u"FF6347"}, {u"turquoise", u"40E0D0"}, {u"violet", u"EE82EE"},
    {u"wheat", u"F5DEB3"}, {u"white", u"FFFFFF"}, {u"whitesmoke", u"F5F5F5"}, {u"yellow", u"FFFF00"},
    {u"yellowgreen", u"9ACD32"},
};

vb::String Quoted(vb::StringView text) { return u"\"" + vb::String(text) + u"\""; }

// A tag function with one prompt. Each text is a script expression; in full
// mode a cancelled prompt inserts nothing, an answer inserts the opening text
// and the answer, then the closing text.
vb::String OnePrompt(vb::StringView head, vb::StringView help, vb::StringView basic, vb::StringView message,
                     vb::StringView answer, vb::StringView opening, vb::StringView closing) {
  return u"function " + vb::String(head) + u" {if (helpstat) {alert(" + vb::String(help) +
         u");} else if (basic) {AddText(" + vb::String(basic) + u");} else {var txt=prompt(" + vb::String(message) +
         u"," + vb::String(answer) + u");if (txt!=null) {AddText(" + vb::String(opening) + u"+txt);AddText(" +
         vb::String(closing) + u");}}}";
}

// The simple tags: "[tag]" and "[/tag]" around the answer.
vb::String Simple(const char16_t* function, const char16_t* help, const char16_t* tag, const char16_t* message,
                  const char16_t* answer) {
  const vb::String open = u"[" + vb::String(tag) + u"]", close = u"[/" + vb::String(tag) + u"]";
  return OnePrompt(vb::String(function) + u"()", Quoted(help), Quoted(open + close), Quoted(message), Quoted(answer),
                   Quoted(open), Quoted(close));
}

// A sized media tag ("[tag=480,350]address[/tag]").
vb::String Media(const char16_t* function, const char16_t* help, const char16_t* tag, const char16_t* message) {
  const vb::String name(tag);
  return OnePrompt(vb::String(function) + u"()", Quoted(help), Quoted(u"[" + name + u"][/" + name + u"]"),
                   Quoted(message), u"\"\"", Quoted(u"[" + name + u"=480,350]"), Quoted(u"[/" + name + u"]"));
}

// A tag whose parameter is the function's argument ("[tag=" + value + "]").
vb::String WithArgument(const char16_t* function, const char16_t* argument, vb::StringView help, const char16_t* tag,
                        vb::StringView message) {
  const vb::String name(tag), arg(argument);
  return OnePrompt(vb::String(function) + u"(" + arg + u")", help,
                   u"\"[" + name + u"=\"+" + arg + u"+\"][/" + name + u"]\"", message, u"\"文字\"",
                   u"\"[" + name + u"=\"+" + arg + u"+\"]\"", u"\"[/" + name + u"]\"");
}

// A filtered text ("[TAG=width,colour,strength]text[/TAG]"): the parameters,
// then the text; empty parameters take the defaults.
vb::String Filtered(const char16_t* function, const char16_t* help, const char16_t* tag, const char16_t* defaults,
                    const char16_t* message, const char16_t* closing) {
  const vb::String open = u"[" + vb::String(tag) + u"=";
  return u"function " + vb::String(function) + u"() {if (helpstat) {alert(" + Quoted(help) +
         u");} else if (basic) {AddText(" + Quoted(open + defaults + u"]" + closing) +
         u");} else {var txt2=prompt(\"文字的长度、颜色和边界大小\"," + Quoted(defaults) +
         u");if (txt2!=null) {var txt=prompt(" + Quoted(message) + u",\"文字\");if (txt!=null) {if (txt2==\"\") {AddText(" +
         Quoted(open + defaults + u"]") + u"+txt);} else {AddText(" + Quoted(open) + u"+txt2+\"]\"+txt);}AddText(" +
         Quoted(closing) + u");}}}}";
}

vb::String Emails() {
  const vb::String mail(kExamples.mail);
  return u"function emails() {if (helpstat) {alert(\"Email 标记\\n插入 Email 超级链接\\n用法1: [email]" + mail +
         u"[/email]\\n用法2: [email=" + mail +
         u"]佚名[/email]\");} else if (basic) {AddText(\"[email][/email]\");} else {var txt2=prompt(\"链接显示的文字."
         u"\\n如果为空，那么将只显示你的 Email 地址\",\"\");if (txt2!=null) {var txt=prompt(\"Email 地址.\",\"" +
         mail +
         u"\");if (txt!=null) {if (txt2==\"\") {AddText(\"[email]\"+txt+\"[/email]\");} else "
         u"{AddText(\"[email=\"+txt+\"]\"+txt2);AddText(\"[/email]\");}}}}}";
}

vb::String Hyperlink() {
  const vb::String web(kExamples.web);
  return u"function hyperlink() {if (helpstat) {alert(\"超级链接标记\\n插入一个超级链接标记\\n使用方法: [url]" + web +
         u"[/url]\\nUSE: [url=" + web +
         u"]链接文字[/url]\");} else if (basic) {AddText(\"[url][/url]\");} else {var txt2=prompt(\"链接文本显示."
         u"\\n如果不想使用, 可以为空, 将只显示超级链接地址. \",\"\");if (txt2!=null) {var "
         u"txt=prompt(\"超级链接.\",\"http://\");if (txt!=null) {if (txt2==\"\") {AddText(\"[url]\"+txt);"
         u"AddText(\"[/url]\");} else {AddText(\"[url=\"+txt+\"]\"+txt2);AddText(\"[/url]\");}}}}}";
}

vb::String Center() {
  return u"function center() {if (helpstat) {alert(\"对齐标记\\n使用这个标记, 可以使文本左对齐、居中、右对齐.\\n用法: "
         u"[align=center|left|right]要对齐的文本[/align]\");} else if (basic) "
         u"{AddText(\"[align=center|left|right][/align]\");} else {var txt2=prompt(\"对齐样式\\n输入 'center' 表示居中, "
         u"'left' 表示左对齐, 'right' 表示右对齐.\",\"center\");while ((txt2!=\"\") && (txt2!=\"center\") && "
         u"(txt2!=\"left\") && (txt2!=\"right\") && (txt2!=null)) {txt2=prompt(\"错误!\\n类型只能输入 'center' 、 "
         u"'left' 或者 'right'.\",\"\");}if (txt2!=null) {var txt=prompt(\"要对齐的文本\",\"文本\");if (txt!=null) "
         u"{AddText(\"\\r[align=\"+txt2+\"]\"+txt);AddText(\"[/align]\");}}}}";
}

vb::String List() {
  return u"function list() {if (helpstat) {alert(\"列表标记\\n建造一个文字或则数字列表.\\n\\nUSE: [list] "
         u"[*]项目一[/*] [*]项目二[/*] [*]项目三[/*] [/list]\");} else if (basic) {AddText(\" [list][*]  [/*][*]  "
         u"[/*][*]  [/*][/list]\");} else {var type=prompt(\"列表类型\\n输入 'A' 表示有序列表, '1' 表示无序列表, "
         u"留空表示无序列表.\",\"\");while ((type!=\"\") && (type!=\"A\") && (type!=\"a\") && (type!=\"1\") && "
         u"(type!=null)) {type=prompt(\"错误!\\n类型只能输入 'A' 、 '1' 或者留空.\",\"\");}if (type!=null) {var "
         u"listtext=(type==\"\") ? \"[list]\" : \"[list=\"+type+\"]\";var item=prompt(\"列表项\\n空白表示结束列表\",\"\");"
         u"while ((item!=\"\") && (item!=null)) {listtext+=\"[*]\"+item+\"[/*]\";item=prompt(\"列表项\\n空白表示结束列表\","
         u"\"\");}AddText(listtext+\"[/list] \");}}}";
}

}  // namespace

namespace ubb {
std::span<const NamedColour> ToolbarColours() { return kColours; }
}  // namespace ubb

vb::String KesraShowUbbEditJs() {
  const vb::String picture(kExamples.picture);
  vb::String js = u"<script type=\"text/javascript\">helpstat = false;stprompt = true;basic = false;";
  js += u"function thelp(swtch) {if (swtch == 1) {basic = false;stprompt = false;helpstat = true;} else if (swtch == 0) "
        u"{helpstat = false;stprompt = false;basic = true;} else if (swtch == 2) {helpstat = false;basic = false;stprompt "
        u"= true;}}";
  js += u"function AddText(NewCode) {document.myform.Content.value+=NewCode;}";
  js += Emails();
  js += Simple(u"flash", u"Flash 动画\\n插入 Flash 动画.\\n用法: [flash]Flash 文件的地址[/flash]", u"flash",
               u"Flash 文件的地址", u"http://");
  js += Media(u"Cdir", u"Shockwave 动画\\n插入 Shockwave 动画.\\n用法: [dir=480,350]Shockwave 文件的地址[/dir]", u"dir",
              u"Shockwave 文件的地址");
  js += Media(u"Crm", u"real player 文件\\n插入 real player 文件.\\n用法: [rm=480,350]real player 文件的地址[/rm]", u"rm",
              u"real player 文件的地址");
  js += Media(u"Cwmv", u"media player 文件\\n插入 wmv 文件.\\n用法: [mp=480,350]media player 文件的地址[/mp]", u"mp",
              u"media player 文件的地址");
  js += Media(u"Cmov", u"quick time 文件\\n插入 quick time 文件.\\n用法: [qt=480,350]quick time 文件的地址[/qt]", u"qt",
              u"quick time 文件的地址");
  js += WithArgument(u"showsize", u"size",
                     u"\"文字大小标记\\n设置文字大小.\\n可变范围 1 - 6.\\n 1 为最小 6 为最大.\\n用法: [size=\"+size+\"]这是 "
                     u"\"+size+\" 文字[/size]\"",
                     u"size", u"\"大小 \"+size");
  js += Simple(u"bold", u"加粗标记\\n使文本加粗.\\n用法: [b]这是加粗的文字[/b]", u"b", u"文字将被变粗.", u"文字");
  js += Simple(u"italicize", u"斜体标记\\n使文本字体变为斜体.\\n用法: [i]这是斜体字[/i]", u"i", u"文字将变斜体", u"文字");
  js += Simple(u"quote", u"引用标记\\n引用一些文字.\\n用法: [quote]引用内容[/quote]", u"quote", u"被引用的文字", u"文字");
  js += WithArgument(u"showcolor", u"color",
                     u"\"颜色标记\\n设置文本颜色.  任何颜色名都可以被使用.\\n用法: [color=\"+color+\"]颜色要改变为\"+color+\"的文字[/color]\"",
                     u"color", u"\"选择的颜色是: \"+color");
  js += Center();
  js += Hyperlink();
  js += OnePrompt(u"image()", u"\"图片标记\\n插入图片\\n用法： [img=480,350]" + picture + u"[/img]\"",
                  u"\"[img=480,350][/img]\"", u"\"图片的 URL\"", u"\"http://\"", u"\"\\r[img=480,350]\"", u"\"[/img]\"");
  js += OnePrompt(u"showcode()",
                  u"\"代码标记\\n使用代码标记，可以使你的程序代码里面的 html 等标志不会被破坏.\\n使用方法:\\n [code]这里是代码文字[/code]\"",
                  u"\"\\r[code]\\r[/code]\"", u"\"输入代码\"", u"\"\"", u"\"\\r[code]\"", u"\"[/code]\"");
  js += List();
  js += WithArgument(u"showfont", u"font", u"\"字体标记\\n给文字设置字体.\\n用法: [face=\"+font+\"]改变文字字体为\"+font+\"[/face]\"",
                     u"face", u"\"要设置字体的文字\"+font");
  js += Simple(u"underline", u"下划线标记\\n给文字加下划线.\\n用法: [u]要加下划线的文字[/u]", u"u", u"下划线文字.", u"文字");
  js += Simple(u"setfly", u"飞翔标记\\n使文字飞行.\\n用法: [fly]文字为这样文字[/fly]", u"fly", u"飞翔文字", u"文字");
  js += Simple(u"move", u"移动标记\\n使文字产生移动效果.\\n用法: [move]要产生移动效果的文字[/move]", u"move",
               u"要产生移动效果的文字", u"文字");
  js += Filtered(u"shadow", u"阴影标记\\n使文字产生阴影效果.\\n用法: [SHADOW=宽度, 颜色, 边界]要产生阴影效果的文字[/SHADOW]",
                 u"SHADOW", u"255,blue,1", u"要产生阴影效果的文字", u"[/SHADOW]");
  js += Filtered(u"glow", u"光晕标记\\n使文字产生光晕效果.\\n用法: [GLOW=宽度, 颜色, 边界]要产生光晕效果的文字[/GLOW]", u"glow",
                 u"255,red,2", u"要产生光晕效果的文字.", u"[/glow]");
  return js + u"</script>";
}

namespace {

struct Button {
  const char16_t* function;
  const char16_t* picture;
  const char16_t* width;
  const char16_t* title;
};
constexpr Button kButtons[] = {
    {u"bold", u"icon_editor_bold.asp", u"22", u"粗体"},
    {u"italicize", u"icon_editor_italicize.asp", u"23", u"斜体"},
    {u"underline", u"icon_editor_underline.asp", u"23", u"下划线"},
    {u"center", u"icon_editor_center.asp", u"22", u"居中"},
    {u"hyperlink", u"icon_editor_url.asp", u"22", u"超级连接"},
    {u"emails", u"icon_editor_email.asp", u"23", u"Email连接"},
    {u"image", u"icon_editor_image.asp", u"23", u"图片"},
    {u"flash", u"swf.asp", u"23", u"Flash图片"},
    {u"Cdir", u"Shockwave.asp", u"23", u"Shockwave文件"},
    {u"Crm", u"rm.asp", u"23", u"realplay视频文件"},
    {u"Cwmv", u"mp.asp", u"23", u"Media Player视频文件"},
    {u"Cmov", u"qt.asp", u"23", u"QuickTime视频文件"},
    {u"showcode", u"icon_editor_code.asp", u"22", u"编号"},
    {u"quote", u"icon_editor_quote.asp", u"23", u"引用"},
    {u"list", u"icon_editor_list.asp", u"23", u"目录"},
    {u"setfly", u"fly.asp", u"23", u"飞行字"},
    {u"move", u"move.asp", u"23", u"移动字"},
    {u"glow", u"glow.asp", u"23", u"发光字"},
    {u"shadow", u"shadow.asp", u"23", u"阴影字"},
};
// From this button on, the buttons are written in the second form.
constexpr size_t kSecondFormFrom = 15;

struct Font {
  const char16_t* value;
  const char16_t* label;  // nullptr: the value
  bool bare;
};
constexpr Font kFonts[] = {
    {u"宋体", nullptr, false},          {u"楷体_GB2312", u"楷体", false}, {u"新宋体", nullptr, false},
    {u"黑体", nullptr, false},          {u"隶书", nullptr, false},        {u"Andale Mono", nullptr, false},
    {u"Arial", nullptr, true},          {u"Arial Black", nullptr, false}, {u"Book Antiqua", nullptr, false},
    {u"Century Gothic", nullptr, false}, {u"Comic Sans MS", nullptr, false}, {u"Courier New", nullptr, false},
    {u"Georgia", nullptr, true},        {u"Impact", nullptr, true},       {u"Tahoma", nullptr, true},
    {u"Times New Roman", nullptr, false}, {u"Trebuchet MS", nullptr, false}, {u"script MT Bold", nullptr, false},
    {u"Stencil", nullptr, true},        {u"Verdana", nullptr, true},      {u"Lucida Console", nullptr, false},
};

vb::String ButtonHtml(size_t index) {
  const Button& b = kButtons[index];
  const vb::String f(b.function), p = vb::String(u"../comm_ubb/pic/") + b.picture, t(b.title);
  if (index < kSecondFormFrom)
    return u"<img onclick=" + f + u"() align=absmiddle src=\"" + p + u"\" width=\"" + b.width +
           u"\" height=\"22\" title=\"" + t + u"\" border=\"0\">";
  return u"<img onclick=" + f + u"() align=absmiddle height=22 title=" + t + u" src=\"" + p + u"\" width=" + b.width +
         u" border=0>";
}

vb::String FontOption(size_t index) {
  const Font& font = kFonts[index];
  const vb::String value(font.value);
  vb::String option = u"<option value=" + (font.bare ? value : Quoted(value));
  if (index == 0) option += u" selected";
  if (value == u"Times New Roman") option += u" ";
  return option + u">" + (font.label ? font.label : font.value) + u"</option>";
}

vb::String ColourOption(const ubb::NamedColour& colour) {
  const vb::String hex = u"#" + vb::String(colour.hex);
  const bool chosen = vb::StringView(colour.name) == ubb::kDefaultColourName;
  return u"<option style=\"background-color:" + hex + u";color: " + hex + u"\" value=\"" + hex + u"\"" +
         (chosen ? u" selected" : u"") + u">" + hex + u"</option>";
}

}  // namespace

vb::String KesraShowUbbEdit() {
  vb::String html = u"<html>Ubb标签：[模式选择 <input type='radio' name='font' value='1' onClick='thelp(1)'> 帮助"
                    u"<input type='radio' name='font' value='2' checked onClick='thelp(2)'> 完全"
                    u"<input type='radio' name='font' value='0' onClick='thelp(0)'> 基本]"
                    u"<div id='ubbDiv'></div>"
                    u"<body onLoad=\"parent.document.all.ubbDiv.innerHTML=document.body.innerHTML\">"
                    u"<div style='padding-left:5px;'>";
  for (size_t i = 0; i < std::size(kButtons); ++i) html += ButtonHtml(i);
  html += u"</div><div style='padding-left:5px;'>字体：<select onchange=showfont(this.options[this.selectedIndex].value) "
          u"name=font>";
  for (size_t i = 0; i < std::size(kFonts); ++i) html += FontOption(i);
  html += u"</select>字体大小<select name=\"size\" onChange=\"showsize(this.options[this.selectedIndex].value)\">"
          u"<option value=\"1\">1</option><option value=\"2\">2</option><option value=\"3\" selected>3</option>"
          u"<option value=\"4\">4</option></select>颜色：<select "
          u"onchange=showcolor(this.options[this.selectedIndex].value) name=color>";
  for (const ubb::NamedColour& colour : kColours) html += ColourOption(colour);
  return html + u"</select></div></body></html>";
}

}  // namespace qe
