// Paging, the search bar and the SQL tail: the page a request lands on, the
// pager's exact text, what the links and hidden inputs carry, and the tail
// for every source of column and keyword, hostile ones included.
#include <gtest/gtest.h>

#include <memory>

#include "page/kesra_show_page.h"
#include "page_objects.h"
#include "platform/asp/context.h"
#include "platform/vb/raises.h"

namespace {

using page_test::PagedRecordset;

// A request whose values come as form fields (decoded as they stand).
std::unique_ptr<asp::Context> RequestWith(asp::NameValueList fields) {
  asp::RequestSpec wanted;
  wanted.url = u"/qe/list.asp";
  wanted.form = std::move(fields);
  return std::make_unique<asp::Context>(std::move(wanted));
}

std::shared_ptr<PagedRecordset> Pages(int32_t page_count, int32_t record_count = 67) {
  return std::make_shared<PagedRecordset>(page_count, record_count);
}

TEST(KesraShowNoPage, MovesToTheRequestedPageWithinTheRecordsetsPages) {
  struct Case {
    const char16_t* page;  // nullptr: no Page in the request
    int32_t page_count, expected;
  } cases[] = {
      {nullptr, 7, 1},  {u"", 7, 1},     {u"0", 7, 1},      {u"-3", 7, 1},   {u"abc", 7, 1},
      {u"2abc", 7, 1},  // not numeric as a whole: page 1
      {u"3", 7, 3},     {u"3.9", 7, 3},  {u" 4 ", 7, 4},    {u"7", 7, 7},    {u"8", 7, 7},
      {u"40000", 7, 7}, {u"99999999999999999999", 7, 7},
      {u"1e400", 7, 1},  // no number the run-time can hold: page 1
      {u"40000", 100000, 40000},  // page numbers past 16 bits
  };
  for (const auto& c : cases) {
    auto context = RequestWith(c.page ? asp::NameValueList{{u"Page", c.page}} : asp::NameValueList{});
    auto rs = Pages(c.page_count);
    vb::Variant request = context->Request(), rs_variant(rs);
    qe::KesraShowNoPage(request, rs_variant);
    SCOPED_TRACE(c.page ? vb::ToUtf8(c.page) : "(none)");
    ASSERT_EQ(rs->pages_set.size(), 1u);
    EXPECT_EQ(rs->pages_set[0].Type(), vb::vbLong);
    EXPECT_EQ(vb::CLng(rs->pages_set[0]), c.expected);
  }
}

TEST(KesraShowNoPage, LeavesARecordsetWithoutPagesAlone) {
  auto context = RequestWith({{u"Page", u"3"}});
  auto rs = Pages(0, 0);
  vb::Variant request = context->Request(), rs_variant(rs);
  qe::KesraShowNoPage(request, rs_variant);
  EXPECT_TRUE(rs->pages_set.empty());
}

vb::String Bar(asp::NameValueList fields, int32_t page_count, vb::String extras = u"", int32_t records = 67) {
  auto context = RequestWith(std::move(fields));
  vb::Variant request = context->Request(), rs(Pages(page_count, records));
  return qe::KesraShowPage(request, rs, extras);
}

const vb::String kSpacer = u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=2><td></td></tr></table>";
const vb::String kBarOpening =
    kSpacer +
    u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='100%' align=center><tr align=center>"
    u"<td class='searchbg'><form method=post name='page' action='?'>";
const vb::String kGoto =
    u"<input type='submit' name='submit'  class=Content_border  value='Goto' size=2>";
vb::String Hidden(const vb::String& class_id, const vb::String& moden, const vb::String& keyword) {
  return u"<input type='hidden' name='ClassID'  value=" + class_id +
         u"><input type='hidden' name='NClassID' value=><input type='hidden' name='SClassID' value=>"
         u"<input type='hidden' name='moden'    value='" + moden +
         u"'><input type='hidden' name='search'   value=''><input type='hidden' name='keyword'  value='" + keyword +
         u"'><input type='hidden' name='id'       value=''><input type='hidden' name='type'     value=''>"
         u"<input type='hidden' name='subject'  value=''><input type='hidden' name='grade'    value=''>"
         u"<input type='hidden' name='part'     value=''>";
}
const vb::String kBarClosing = u"</td></form></tr></table>" + kSpacer;

TEST(KesraShowPage, MiddlePageLinksBothWaysAndCarriesTheKeysAndExtraNames) {
  const vb::String q = u"&id=&classid=5&nclassid=&sclassid=&grade=&subject=&type=&moden=nclass&search=&keyword=教务"
                       u"&part=&Sort=up&Area=";
  EXPECT_EQ(Bar({{u"Page", u"2"}, {u"classid", u"5"}, {u"moden", u"nclass"}, {u"keyword", u"教务"}, {u"Sort", u"up"}},
                7, u" |Sort| Area |"),
            kBarOpening + u" [总数<b>67</b>] [共<b>7</b>页] [第2页] [10部/页] " +
                u"[<a href=\"?page=1" + q + u"\">首 页</a>] [<a href=\"?page=1" + q + u"\">上一页</a>] " +
                u"[<a href=\"?page=3" + q + u"\">下一页</a>] [<a href=\"?page=7" + q + u"\">尾 页</a>] " +
                u"<input type='text' name='page' size=2 maxlength=10  class=Content_border value=2>&nbsp;" + kGoto +
                Hidden(u"5", u"nclass", u"教务") +
                u"<input type='hidden' name='Sort' value='up'><input type='hidden' name='Area' value=''>" +
                kBarClosing);
}

TEST(KesraShowPage, FirstAndLastPagesWriteTheirDeadLinksAsText) {
  const vb::String q = u"&id=&classid=&nclassid=&sclassid=&grade=&subject=&type=&moden=&search=&keyword=&part=";
  EXPECT_EQ(Bar({}, 7),
            kBarOpening + u" [总数<b>67</b>] [共<b>7</b>页] [第1页] [10部/页] [首 页] [上一页] " +
                u"[<a href=\"?page=2" + q + u"\">下一页</a>] [<a href=\"?page=7" + q + u"\">尾 页</a>] " +
                u"<input type='text' name='page' size=2 maxlength=10  class=Content_border value=1>&nbsp;" + kGoto +
                Hidden(u"", u"", u"") + kBarClosing);
  // No pages at all: page 0, every link as text.
  EXPECT_EQ(Bar({}, 0, u"", 0),
            kBarOpening + u" [总数<b>0</b>] [共<b>0</b>页] [第0页] [10部/页] [首 页] [上一页] [下一页] [尾 页] " +
                u"<input type='text' name='page' size=2 maxlength=10  class=Content_border value=0>&nbsp;" + kGoto +
                Hidden(u"", u"", u"") + kBarClosing);
}

// The page the bar shows: the leading number, within 1 .. PageCount.
vb::String ShownPage(const char16_t* page, int32_t page_count) {
  vb::String bar = Bar({{u"Page", page}}, page_count);
  auto at = bar.find(u"[第");
  return bar.substr(at + 2, bar.find(u"页]", at) - at - 2);
}

TEST(KesraShowPage, ShowsTheLeadingNumberOfThePageValue) {
  struct Case {
    const char16_t* page;
    int32_t page_count;
    const char16_t* shown;
  } cases[] = {{u"0", 7, u"1"},      {u"-3", 7, u"1"},   {u"abc", 7, u"1"},   {u"2abc", 7, u"2"},
               {u"6.5", 7, u"6"},    {u"40000", 7, u"7"}, {u"1e999", 7, u"7"}, {u"40000", 50000, u"40000"},
               {u"&H10", 70, u"16"}, {u"5", 0, u"0"}};
  for (const auto& c : cases) EXPECT_EQ(ShownPage(c.page, c.page_count), c.shown) << vb::ToUtf8(c.page);
}

TEST(KesraShowPage, RequestValuesAreEncodedForLinksAndHiddenInputs) {
  vb::String bar = Bar({{u"Page", u"2"},
                        {u"keyword", u"<script>'x'&\"y\""},
                        {u"classid", u"1 onmouseover=alert(1)"},
                        {u"moden", u"a b+c#d"}},
                       7);
  EXPECT_EQ(bar.find(u"<script>"), vb::String::npos);
  EXPECT_NE(bar.find(u"&classid=1%20onmouseover%3Dalert(1)&"), vb::String::npos);
  EXPECT_NE(bar.find(u"&moden=a%20b%2Bc%23d&"), vb::String::npos);
  EXPECT_NE(bar.find(u"&keyword=%3Cscript%3E%27x%27%26%22y%22&"), vb::String::npos);
  EXPECT_NE(bar.find(u"name='ClassID'  value=1&#32;onmouseover&#61;alert(1)>"), vb::String::npos);
  EXPECT_NE(bar.find(u"name='keyword'  value='&lt;script&gt;&#39;x&#39;&amp;&quot;y&quot;'>"), vb::String::npos);
}

TEST(KesraShowSearchBar, OpensAndClosesByFormType) {
  const vb::String cell =
      u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='100%' align=center><tr align=center>"
      u"<td class='searchbg'>";
  EXPECT_EQ(qe::KesraShowSearchLeft(u"", u"", u"searchbg"), cell);
  EXPECT_EQ(qe::KesraShowSearchLeft(u"Form", u"", u"searchbg"), cell + u"<form method='post' name='sele' action='?'>");
  EXPECT_EQ(qe::KesraShowSearchLeft(u"Sele2", u"80%", u"bar"),
            u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='80%' align=center>"
            u"<tr align=center><td class='bar'><form method='post' name='sele2' action='?'>");
  EXPECT_EQ(qe::KesraShowSearchRight(u"FORM"), u"</td></form></tr></table>");
  // A form of another name is closed by the page.
  EXPECT_EQ(qe::KesraShowSearchRight(u"Sele2"), u"</td></tr></table>");
  EXPECT_EQ(qe::KesraShowSearchRight(u""), u"</td></tr></table>");
}

vb::String Select(asp::NameValueList fields, int16_t type, vb::String list) {
  auto context = RequestWith(std::move(fields));
  vb::Variant request = context->Request();
  return qe::KesraShowSelect(request, type, list);
}

TEST(KesraShowSelect, FirstOptionByTypeItemsInOrderAndTheRequestsColumnSelected) {
  const vb::String box = u"</select>&nbsp;  关键字：<input type='text' name='keyword' size='10' maxlength='12' value='";
  EXPECT_EQ(Select({{u"moden", u"url"}, {u"keyword", u"教务"}}, 0, u"nclass|名称||url|地址"),
            u"<select name='moden' class='inputselect'><option value=''>-=请选择查询项目(并排序)=-</option>"
            u"<option  value='nclass' >名称</option><option  value='url'  selected >地址</option>" +
                box + u"教务'>");
  EXPECT_EQ(Select({}, 1, u""),
            u"<select name='moden' class='inputselect'><option value=''>-=请选择查询项目=-</option>" + box + u"'>");
  EXPECT_EQ(Select({}, 2, u""),
            u"<select name='moden' class='inputselect'><option value=''>-=请选择排序项目=-</option>" + box + u"'>");
  // Any other type: no first option. The comparison is exact.
  EXPECT_EQ(Select({{u"moden", u"URL"}}, 3, u"url|地址"),
            u"<select name='moden' class='inputselect'><option  value='url' >地址</option>" + box + u"'>");
}

TEST(KesraShowSelect, EncodesTheRequestsKeywordAndRefusesAnItemWithoutCaption) {
  vb::String select = Select({{u"keyword", u"'><script>"}}, 0, u"a|A");
  EXPECT_NE(select.find(u"value='&#39;&gt;&lt;script&gt;'>"), vb::String::npos) << vb::ToUtf8(select);
  EXPECT_RAISES(vb::kSubscriptOutOfRange, Select({}, 0, u"a|A||b"));
}

vb::String Tail(asp::NameValueList fields, vb::String sort_default, vb::String column, vb::String descending,
                vb::String keyword, vb::String table = u"") {
  auto context = RequestWith(std::move(fields));
  vb::Variant request = context->Request();
  return qe::KesraGetOrderString(request, sort_default, column, descending, keyword, table);
}

TEST(KesraGetOrderString, TailPerSourceOfColumnAndKeyword) {
  struct Case {
    vb::String got, expected;
  } cases[] = {
      {Tail({}, u"", u"", u"", u""), u" Order By ID Desc"},
      {Tail({{u"keyword", u"x"}}, u"SortID, ID", u"", u"", u""), u" Order By SortID, ID"},
      // The request's column, lower-cased; no keyword still filters with '%%'.
      {Tail({{u"moden", u"NClass"}}, u"", u"", u"", u""), u" And [nclass] Like '%%'   Order By [nclass]"},
      {Tail({{u"moden", u"DateAndTime"}}, u"", u"", u"", u""),
       u" And [dateandtime] Like '%%'   Order By [dateandtime] Desc"},
      // The caller's column and keyword come first; the table part.
      {Tail({{u"moden", u"url"}, {u"keyword", u"b"}}, u"", u"Title", u"hits|Title", u"会议", u"Article"),
       u" And [Article].[Title] Like '%会议%'   Order By [Article].[Title] Desc"},
      {Tail({{u"keyword", u"关键字搜索"}}, u"", u"Title", u"", u""), u" And [Title] Like '%%'   Order By [Title]"},
      // The body column sorts as the id column, descending, from the caller or the request.
      {Tail({}, u"", u"Content", u"", u"a", u"ContentList"),
       u" And [ContentList].[Content] Like '%a%'   Order By [ContentList].[id] Desc"},
      {Tail({{u"moden", u"Content"}}, u"", u"", u"", u""), u" And [content] Like '%%'   Order By [id] Desc"},
      {Tail({}, u"", u"content", u"", u""), u" And [content] Like '%%'   Order By [content]"},
      // "||" in the list does not make an empty name descending.
      {Tail({}, u"", u"hits", u"a||hits", u""), u" And [hits] Like '%%'   Order By [hits] Desc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(KesraGetOrderString, HostileColumnsGiveTheDefaultOrderAndQuotesAreDoubled) {
  EXPECT_EQ(Tail({{u"moden", u"x]+or+1=1+or+[x"}, {u"keyword", u"a"}}, u"", u"", u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({{u"moden", u"a.b"}}, u"SortID", u"", u"", u""), u" Order By SortID");
  EXPECT_EQ(Tail({}, u"", u"`x`", u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({}, u"", u"a!b", u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({}, u"", u"a\tb", u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({}, u"", u"   ", u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({}, u"", vb::String(65, u'c'), u"", u""), u" Order By ID Desc");
  EXPECT_EQ(Tail({}, u"", vb::String(64, u'c'), u"", u"").substr(0, 9), u" And [ccc");
  EXPECT_EQ(Tail({{u"moden", u"title"}, {u"keyword", u"%'+or+'1'='1"}}, u"", u"", u"", u""),
            u" And [title] Like '%%''+or+''1''=''1%'   Order By [title]");
  EXPECT_EQ(Tail({}, u"", u"title", u"", u"O'Brien"), u" And [title] Like '%O''Brien%'   Order By [title]");
}

TEST(KesraShowFormLeft, DefaultsAndTheKeyDownScript) {
  EXPECT_EQ(qe::KesraShowFormLeft(u"save.asp", u"myform", u"myform", u"if (event.keyCode==13) {return false;}", u""),
            u"<form name='myform'  id='myform'  method='post' onkeydown='if (event.keyCode==13) {return false;}'"
            u" action='save.asp'>");
  EXPECT_EQ(qe::KesraShowFormLeft(u"", u" ", u"", u"", u" "),
            u"<form name='myform'  id='myform'  method='post' onkeydown='if (event.keyCode==13) {return false;}'"
            u" action=''>");
  EXPECT_EQ(qe::KesraShowFormLeft(u"a.asp", u"edit", u"", u"NULL", u"enctype='multipart/form-data'"),
            u"<form name='edit'  id='edit'  method='post'  enctype='multipart/form-data'  action='a.asp'>");
  EXPECT_EQ(qe::KesraShowFormLeft(u"a.asp", u"f", u"g", u"check('x')", u""),
            u"<form name='f'  id='g'  method='post' onkeydown='check(\"x\")' action='a.asp'>");
}

}  // namespace
