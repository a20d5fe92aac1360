#include "page/kesra_script_check.h"

#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

struct CheckRule {
  vb::String name;           // field of myform; editor names stand for Content
  vb::String empty_message;  // shown when the field is empty
  vb::String second_test;    // a greatest length, or a second field's name
  vb::String second_message;
};

CheckRule ReadRule(const vb::String& text) {
  auto fields = vb::SplitParts(text + u"||||", u"|");
  return {fields[0], fields[1], fields[2], fields[3]};
}

bool IsEditorName(const vb::String& name) { return vb::LCase(vb::Left(name, 6)) == u"editor"; }

// The old rich-text editor: the frame "HtmlEdit" inside the element "Editor"
// holds the edited body; the editor's EditMode says whether it shows text.
constexpr vb::StringView kEditorFunctions =
    u"function KesraEditorWindow(){"
    u"var element=document.getElementById(\"Editor\");"
    u"return element&&element.contentWindow?element.contentWindow:element;"
    u"}"
    u"function KesraEditorBody(){"
    u"var frame=KesraEditorWindow().document.getElementById(\"HtmlEdit\");"
    u"return (frame.contentWindow||frame).document.body;"
    u"}"
    u"function KesraEditorMode(){"
    u"var win=KesraEditorWindow();"
    u"return win.EditMode!==undefined?win.EditMode:document.getElementById(\"Editor\").EditMode;"
    u"}";

vb::String FieldOf(const vb::String& name) { return u"document.myform." + name; }

// A statement that moves the focus; a failure there must not keep checkform
// from returning false, or the form would be sent unchecked.
vb::String Focus(const vb::String& statement) { return u"try{" + statement + u"}catch(e){}"; }

vb::String Refusal(const vb::String& message, const vb::String& focus) {
  return u"alert(\"" + message + u"\");" + Focus(focus) + u"return false;";
}

vb::String RuleScript(const CheckRule& rule) {
  const vb::String lower = vb::LCase(rule.name);
  const vb::String tested = FieldOf(IsEditorName(rule.name) ? vb::String(u"Content") : rule.name);
  const vb::String field_focus = FieldOf(rule.name) + u".focus();";
  const vb::String composition_focus =
      u"var composition=document.getElementById(\"WBTB_Composition\");(composition.contentWindow||composition).focus();";

  vb::String out;
  if (lower == u"editor")
    out += u"document.myform.Content.value=KesraEditorMode()?KesraEditorBody().innerText:KesraEditorBody().innerHTML;";

  vb::String empty_focus = lower == u"editor"    ? vb::String(u"KesraEditorBody().focus();")
                           : lower == u"editor2" ? composition_focus
                                                 : field_focus;
  out += u"if(" + tested + u".value==\"\"||" + tested + u".value==0){" + Refusal(rule.empty_message, empty_focus) + u"}";

  if (rule.second_test.empty()) return out;
  if (vb::IsNumeric(vb::Variant(rule.second_test))) {
    vb::String length_focus = lower == u"editor"    ? vb::String(u"editor.HtmlEdit.focus();")
                              : lower == u"editor2" ? composition_focus
                                                    : field_focus;
    vb::String greatest = vb::CStr(vb::Variant(vb::CDbl(vb::Variant(rule.second_test))));
    out += u"if(" + tested + u".value.length>" + greatest + u"){" + Refusal(rule.second_message, length_focus) + u"}";
  } else {
    out += u"if(" + FieldOf(rule.name) + u".value!=" + FieldOf(rule.second_test) + u".value){" +
           Refusal(rule.second_message, field_focus) + u"}";
  }
  return out;
}

}  // namespace

vb::String KesraScriptCheckForm(vb::String p_CheckList) {
  vb::String rules;
  bool uses_editor = false;
  for (const vb::String& text : vb::SplitParts(p_CheckList, u"$")) {
    CheckRule rule = ReadRule(text);
    if (vb::Trim(rule.name).empty()) continue;
    uses_editor = uses_editor || vb::LCase(rule.name) == u"editor";
    rules += RuleScript(rule);
  }
  vb::String script = u"<script Language=\"JavaScript\">";
  if (uses_editor) script += kEditorFunctions;
  script += u"function checkform(){" + rules + u"return true;}</script>";
  return script;
}

vb::String KesraScriptCheck() {
  // The e-mail test is the server's: a name of letters, digits and "_.+-",
  // a domain of letters, digits and "_.-" with a dot, no dot at either end
  // of either side, no two dots together, and a last label of two or three
  // such characters or of 4 to 63 letters.
  return u"<script Language=\"JavaScript\">"
         u"function KesraRegCheckIsTelephone(p_String){return String(p_String).match(/^[0-9-]{7,18}$/);}"
         u"function KesraRegCheckIsEmail(p_String){"
         u"return /^(?!.*\\.\\.)[A-Za-z0-9_+-](?:[A-Za-z0-9_.+-]*[A-Za-z0-9_+-])?"
         u"@[A-Za-z0-9_-](?:[A-Za-z0-9_.-]*[A-Za-z0-9_-])?\\.(?:[A-Za-z0-9_-]{2,3}|[A-Za-z]{4,63})$/"
         u".test(String(p_String));"
         u"}"
         u"function KesraRegCheckIsInteger(p_String){return /^-?[0-9]+$/.test(String(p_String));}"
         u"function KesraRegCheckIsAge(p_String){"
         u"var year=new Date().getFullYear();var value=String(p_String);"
         u"if(!/^ *[0-9]+ *$/.test(value)){return false;}"
         u"value=Number(value);return value>=year-60&&value<=year-18;"
         u"}"
         // A name: Chinese characters, Latin letters, blanks and the middle dot.
         u"function KesraRegCheckIsValidTrueName(p_String){"
         u"var value=typeof Trim=='function'?Trim(p_String):String(p_String).replace(/^ +| +$/g,'');"
         u"return /^[A-Za-z \\u4E00-\\u9FA5\\u00B7]+$/.test(String(value))&&/[^ ]/.test(String(value));"
         u"}"
         u"function KesraRegCheckIsChinese(p_String){return /^[\\u4E00-\\u9FA5]+$/.test(String(p_String));}"
         u"function KesraRegCheckValidPasswd(p_String){return /^[\\x00-\\x7F]{6,16}$/.test(String(p_String));}"
         u"function KesraRegCheckIsNull(p_String){return /^ *$/.test(String(p_String));}"
         u"function KesraRegCheckIsIP(p_String){"
         u"var parts=/^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$/.exec(String(p_String));"
         u"if(!parts){return false;}"
         u"for(var i=1;i<=4;i++){if(parseInt(parts[i],10)>=256){return false;}}"
         u"return true;"
         u"}"
         u"</script>";
}

vb::String KesraScriptCheckPostCard() {
  // A fifteen-digit number is dated as the server dates it: "19" and the six
  // digits from the seventh. Levels and the auto-change flag may come as
  // digit strings.
  return u"<script Language=\"JavaScript\">"
         u"function KesraIdCardBirthday(num){"
         u"num=String(num);return num.length==15?'19'+num.substr(6,6):num.substr(6,8);"
         u"}"
         u"function KesraIdCardCheckCode(body){"
         u"var weights=new Array(7,9,10,5,8,4,2,1,6,3,7,9,10,5,8,4,2);var sum=0;"
         u"for(var i=0;i<17;i++){sum+=parseInt(body.charAt(i),10)*weights[i];}"
         u"var code=12-sum%11;"
         u"return code==10?'X':code==11?'0':code==12?'1':String(code);"
         u"}"
         u"function checkDate(str){"
         u"str=String(str);if(!/^[0-9]{8}$/.test(str)){return false;}"
         u"var year=parseInt(str.substr(0,4),10),month=parseInt(str.substr(4,2),10),day=parseInt(str.substr(6,2),10);"
         u"if(year>new Date().getFullYear()){return false;}"
         u"if(month<1||month>12){return false;}"
         u"if(day<1||day>31){return false;}"
         u"if(month==2&&day>29){return false;}"
         u"return true;"
         u"}"
         u"function isIdCardNo(objectname,num,level,autochange){"
         u"level=Number(level);num=String(num);"
         u"if(!(level>1)){return true;}"
         u"if(num.length!=15&&num.length!=18){alert(\"输入身份证号码长度不对！\");return false;}"
         u"for(var i=0;i<num.length;i++){"
         u"var c=num.charAt(i);"
         u"if(i!=17&&(c<'0'||c>'9')){alert(\"错误的身份证号码！.\");return false;}"
         u"}"
         u"if(num.length==18){"
         u"if(level>2&&!checkDate(num.substr(6,8))){alert(\"身份证中日期信息不正确！.\");return false;}"
         u"if(level>3){"
         u"var code=KesraIdCardCheckCode(num);"
         u"if(num.charAt(17).toUpperCase()!=code){"
         u"alert(\"身份证效验位错误!正确为： \"+code+\".\");"
         u"if(Number(autochange)==1&&objectname){objectname.value=num.substr(0,17)+code;}"
         u"return false;"
         u"}"
         u"}"
         u"}else if(level>2&&!checkDate(KesraIdCardBirthday(num))){alert(\"身份证日期信息有误！.\");return false;}"
         u"return true;"
         u"}"
         u"function CheckIdCardRange(objectname,num,level,autochange,YearMax,MinBirthDay,MaxBirthDay){"
         u"if(!isIdCardNo(objectname,num,level,autochange)){return false;}"
         u"var birthday=KesraIdCardBirthday(num);var year=parseInt(birthday.substr(0,4),10);"
         u"if(Number(YearMax)>0&&new Date().getFullYear()-year>Number(YearMax)){"
         u"alert(\"超出了最大岁数[\"+YearMax+\"]！\");return false;"
         u"}"
         u"var min=String(MinBirthDay),max=String(MaxBirthDay);"
         u"if((min.length==8&&birthday<min)||(max.length==8&&birthday>max)){"
         u"alert(\"出生年月范围为[\"+MinBirthDay+\"-\"+MaxBirthDay+\"]！\");return false;"
         u"}"
         u"return true;"
         u"}"
         // Four random and three sequence digits, zero-padded; the sequence
         // number is odd for men and even for women.
         u"function create_postcard(objectname,birthday,sex){"
         u"var date=String(birthday).replace('-','').replace('-','');"
         u"if(!checkDate(date)||(sex!=\"男\"&&sex!=\"女\")){return false;}"
         u"var sequence=(Math.floor(Math.random()*10000000)+1)*2+(sex==\"男\"?1:0);"
         u"var random=String(Math.floor(Math.random()*10000)%10000);"
         u"while(random.length<4){random='0'+random;}"
         u"var digits=String(sequence%1000);"
         u"while(digits.length<3){digits='0'+digits;}"
         u"var body='99'+random+date+digits;"
         u"objectname.value=body+KesraIdCardCheckCode(body);"
         u"return true;"
         u"}"
         u"</script>";
}

}  // namespace qe
