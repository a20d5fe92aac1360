#include "platform/chart/chart_space.h"

#include <functional>
#include <utility>
#include <vector>

#include "platform/chart/chart_draw.h"
#include "platform/chart/chart_model.h"
#include "platform/com/registry.h"
#include "platform/fs/file_write.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace chart {
namespace {

using com::ArgList;
using com::CallType;
using com::ObjectPtr;
using vb::String;
using vb::StringView;
using vb::Variant;

// One object of the component: its members by name, each a reader and, for
// properties, a writer. The member named "" is the default member.
class Part : public com::Object {
 public:
  using Reader = std::function<Variant(ArgList&)>;
  using Writer = std::function<void(const Variant&)>;
  struct Member {
    String name;
    Reader read;
    Writer write;
  };

  Part(String type_name, std::vector<Member> members) : type_name_(std::move(type_name)), members_(std::move(members)) {}

  String TypeName() const override { return type_name_; }

  Variant Invoke(StringView name, CallType type, ArgList& args) override {
    for (const Member& m : members_) {
      if (!vb::EqualsNoCase(m.name, name)) continue;
      if (type == CallType::Get) {
        if (!m.read) vb::Raise(vb::kMemberNotSupported);
        return m.read(args);
      }
      if (!m.write) vb::Raise(vb::kMemberNotSupported);
      if (args.size() != 1) vb::Raise(vb::kWrongArgumentCount);
      m.write(com::ValueOf(args[0]));
      return Variant();
    }
    vb::Raise(vb::kMemberNotSupported);
  }

 private:
  String type_name_;
  std::vector<Member> members_;
};

ObjectPtr Make(String type_name, std::vector<Part::Member> members) {
  return std::make_shared<Part>(std::move(type_name), std::move(members));
}

void NoArguments(const ArgList& args) {
  if (args.size() != 0) vb::Raise(vb::kWrongArgumentCount);
}

// A property without arguments.
template <class Get>
Part::Member Property(String name, Get get, Part::Writer write = nullptr) {
  return {std::move(name), [get](ArgList& args) { NoArguments(args); return Variant(get()); }, std::move(write)};
}

// A member that hands out an object; with an argument it is the object's
// default member called with it (Axes(0), DataLabelsCollection(0)).
Part::Member ObjectMember(String name, std::function<ObjectPtr()> make) {
  return {std::move(name),
          [make](ArgList& args) -> Variant {
            ObjectPtr object = make();
            if (args.size() == 0) return Variant(object);
            return object->Invoke(u"", CallType::Get, args);
          },
          nullptr};
}

// Literal data: items at tabs, or at "," in a text without tabs.
std::vector<String> LiteralItems(StringView text) {
  return vb::SplitParts(text, text.find(u'\t') != StringView::npos ? u"\t" : u",");
}

Colour ColourOf(const Variant& value) {
  if (value.IsString()) {
    static const std::pair<const char16_t*, Colour> kNames[] = {
        {u"black", Rgb(0, 0, 0)},       {u"white", Rgb(255, 255, 255)}, {u"red", Rgb(255, 0, 0)},
        {u"lime", Rgb(0, 255, 0)},      {u"blue", Rgb(0, 0, 255)},      {u"yellow", Rgb(255, 255, 0)},
        {u"aqua", Rgb(0, 255, 255)},    {u"fuchsia", Rgb(255, 0, 255)}, {u"gray", Rgb(128, 128, 128)},
        {u"silver", Rgb(192, 192, 192)}, {u"maroon", Rgb(128, 0, 0)},   {u"green", Rgb(0, 128, 0)},
        {u"navy", Rgb(0, 0, 128)},      {u"olive", Rgb(128, 128, 0)},   {u"purple", Rgb(128, 0, 128)},
        {u"teal", Rgb(0, 128, 128)}};
    const String name = vb::Trim(value.As<String>());
    for (const auto& [known, colour] : kNames)
      if (vb::EqualsNoCase(known, name)) return colour;
    double number = 0;
    if (!vb::ParseNumber(name, number)) vb::Raise(vb::kInvalidProcedureCall);
  }
  const int32_t colour = vb::CLng(value);
  if (colour < 0 || colour > 0xFFFFFF) vb::Raise(vb::kInvalidProcedureCall);
  return static_cast<Colour>(colour);
}

double NotNegative(const Variant& value) {
  const double number = vb::CDbl(value);
  if (!(number >= 0) || number > 1000) vb::Raise(vb::kInvalidProcedureCall);
  return number;
}

int OneOf(const Variant& value, int lowest, int highest) {
  const int32_t code = vb::CLng(value);
  if (code < lowest || code > highest) vb::Raise(vb::kInvalidProcedureCall);
  return code;
}

// Owned parts of a chart or series, kept alive by their owner.
template <class T, class Owner>
std::shared_ptr<T> Within(const std::shared_ptr<Owner>& owner, T& part) {
  return std::shared_ptr<T>(owner, &part);
}

ObjectPtr FontObject(std::shared_ptr<Font> font) {
  return Make(u"ChFont", {Property(u"Color", [font] { return static_cast<int32_t>(font->colour); },
                                   [font](const Variant& v) { font->colour = ColourOf(v); }),
                          Property(u"Size", [font] { return font->size; },
                                   [font](const Variant& v) {
                                     const double size = NotNegative(v);
                                     if (size == 0) vb::Raise(vb::kInvalidProcedureCall);
                                     font->size = size;
                                   }),
                          Property(u"name", [font] { return font->name; },
                                   [font](const Variant& v) { font->name = vb::CStr(v); }),
                          Property(u"Bold", [font] { return font->bold; },
                                   [font](const Variant& v) { font->bold = vb::CBool(v); })});
}

ObjectPtr LineObject(std::shared_ptr<LineFormat> line) {
  return Make(u"ChLine", {Property(u"Color", [line] { return static_cast<int32_t>(line->colour); },
                                   [line](const Variant& v) { line->colour = ColourOf(v); }),
                          Property(u"Weight", [line] { return line->weight; },
                                   [line](const Variant& v) { line->weight = NotNegative(v); })});
}

ObjectPtr InteriorObject(std::shared_ptr<Colour> colour) {
  return Make(u"ChInterior", {Property(u"Color", [colour] { return static_cast<int32_t>(*colour); },
                                       [colour](const Variant& v) { *colour = ColourOf(v); })});
}

ObjectPtr GridlinesObject(std::shared_ptr<LineFormat> line) {
  return Make(u"ChGridlines", {ObjectMember(u"Line", [line] { return LineObject(line); })});
}

ObjectPtr AxisObject(const std::shared_ptr<Chart>& chart, int index) {
  auto axis = Within(chart, chart->axes[static_cast<size_t>(index)]);
  auto scaling =
      Make(u"ChScaling", {Property(u"Orientation", [axis] { return static_cast<int32_t>(axis->orientation); },
                                   [axis](const Variant& v) { axis->orientation = OneOf(v, 0, 1); })});
  return Make(u"ChAxis",
              {ObjectMember(u"Scaling", [scaling] { return scaling; }),
               Property(u"HasMajorGridlines", [axis] { return axis->major_gridlines; },
                        [axis](const Variant& v) { axis->major_gridlines = vb::CBool(v); }),
               Property(u"HasMinorGridlines", [axis] { return axis->minor_gridlines; },
                        [axis](const Variant& v) { axis->minor_gridlines = vb::CBool(v); }),
               ObjectMember(u"MajorGridlines", [axis] { return GridlinesObject(Within(axis, axis->major_line)); }),
               ObjectMember(u"MinorGridlines", [axis] { return GridlinesObject(Within(axis, axis->minor_line)); }),
               ObjectMember(u"Font", [axis] { return FontObject(Within(axis, axis->font)); })});
}

// A collection of `count` items made by `item`, index from 0 (error 9 outside).
Part::Member ItemMember(std::function<size_t()> count, std::function<ObjectPtr(size_t)> item) {
  return {u"",
          [count, item](ArgList& args) -> Variant {
            if (args.size() != 1) vb::Raise(vb::kWrongArgumentCount);
            const int32_t index = vb::CLng(com::ValueOf(args[0]));
            if (index < 0 || static_cast<size_t>(index) >= count()) vb::Raise(vb::kSubscriptOutOfRange);
            return Variant(item(static_cast<size_t>(index)));
          },
          nullptr};
}

// A collection: its items by index (also as its default member), Count,
// and Add when it has one.
std::vector<Part::Member> Collection(std::function<size_t()> count, std::function<ObjectPtr(size_t)> item,
                                     std::function<ObjectPtr()> add = nullptr) {
  Part::Member default_member = ItemMember(count, item);
  Part::Member item_member = default_member;
  item_member.name = u"Item";
  std::vector<Part::Member> members{std::move(default_member), std::move(item_member),
                                    Property(u"Count", [count] { return static_cast<int32_t>(count()); })};
  if (add) {
    members.push_back({u"Add",
                       [add](ArgList& args) {
                         NoArguments(args);
                         return Variant(add());
                       },
                       nullptr});
  }
  return members;
}

ObjectPtr DataLabelsObject(const std::shared_ptr<Series>& series) {
  return Make(u"ChDataLabels",
              {Property(u"hasvalue", [series] { return series->has_value; },
                        [series](const Variant& v) { series->has_value = vb::CBool(v); }),
               ObjectMember(u"Font", [series] { return FontObject(Within(series, series->label_font)); })});
}

ObjectPtr SeriesObject(const std::shared_ptr<Series>& series) {
  auto labels = [series] {
    return Make(u"ChDataLabelsCollection",
                Collection([series] { return series->data_labels ? size_t{1} : size_t{0}; },
                           [series](size_t) { return DataLabelsObject(series); },
                           [series] {
                             series->data_labels = true;
                             return DataLabelsObject(series);
                           }));
  };
  return Make(u"ChSeries",
              {Property(u"Caption", [series] { return series->caption; },
                        [series](const Variant& v) { series->caption = vb::CStr(v); }),
               {u"SetData",
                [series](ArgList& args) {
                  if (args.size() != 3) vb::Raise(vb::kWrongArgumentCount);
                  const int32_t dimension = vb::CLng(com::ValueOf(args[0]));
                  if (vb::CLng(com::ValueOf(args[1])) != chDataLiteral) vb::Raise(vb::kInvalidProcedureCall);
                  const String text = vb::CStr(com::ValueOf(args[2]));
                  if (dimension == chDimCategories) {
                    series->categories = LiteralItems(text);
                  } else if (dimension == chDimValues) {
                    std::vector<double> values;
                    for (const String& item : LiteralItems(text)) values.push_back(vb::CDbl(Variant(item)));
                    series->values = std::move(values);
                  } else {
                    vb::Raise(vb::kInvalidProcedureCall);
                  }
                  return Variant();
                },
                nullptr},
               Property(u"type", [series] { return static_cast<int32_t>(series->type); },
                        [series](const Variant& v) { series->type = OneOf(v, kColumns, kPie); }),
               ObjectMember(u"DataLabelsCollection", labels)});
}

ObjectPtr ChartObject(const std::shared_ptr<Chart>& chart) {
  auto title = Make(u"ChTitle", {Property(u"Caption", [chart] { return chart->title; },
                                          [chart](const Variant& v) { chart->title = vb::CStr(v); }),
                                 ObjectMember(u"Font", [chart] { return FontObject(Within(chart, chart->title_font)); })});
  return Make(
      u"ChChart",
      {ObjectMember(u"seriescollection",
                    [chart] {
                      return Make(u"ChSeriesCollection",
                                  Collection([chart] { return chart->series.size(); },
                                             [chart](size_t i) { return SeriesObject(chart->series[i]); },
                                             [chart] {
                                               chart->series.push_back(std::make_shared<Series>());
                                               return SeriesObject(chart->series.back());
                                             }));
                    }),
       ObjectMember(u"border", [chart] { return LineObject(Within(chart, chart->border)); }),
       ObjectMember(u"Interior", [chart] { return InteriorObject(Within(chart, chart->interior)); }),
       ObjectMember(u"PlotArea",
                    [chart] {
                      return Make(u"ChPlotArea", {ObjectMember(u"Interior", [chart] {
                                    return InteriorObject(Within(chart, chart->plot_interior));
                                  })});
                    }),
       Property(u"hastitle", [chart] { return chart->has_title; },
                [chart](const Variant& v) { chart->has_title = vb::CBool(v); }),
       ObjectMember(u"Title", [title] { return title; }),
       ObjectMember(u"Axes", [chart] {
         return Make(u"ChAxes", Collection([] { return size_t{2}; },
                                           [chart](size_t i) { return AxisObject(chart, static_cast<int>(i)); }));
       })});
}

ObjectPtr NewChartSpace() {
  auto space = std::make_shared<Space>();
  auto constants = Make(u"ChConstants", {Property(u"chdimcategories", [] { return chDimCategories; }),
                                         Property(u"chdimvalues", [] { return chDimValues; }),
                                         Property(u"chdataliteral", [] { return chDataLiteral; })});
  return Make(
      u"ChartSpace",
      {{u"Clear",
        [space](ArgList& args) {
          NoArguments(args);
          space->charts.clear();
          return Variant();
        },
        nullptr},
       ObjectMember(u"Charts",
                    [space] {
                      return Make(u"ChCharts",
                                  Collection([space] { return space->charts.size(); },
                                             [space](size_t i) { return ChartObject(space->charts[i]); },
                                             [space] {
                                               space->charts.push_back(std::make_shared<Chart>());
                                               return ChartObject(space->charts.back());
                                             }));
                    }),
       ObjectMember(u"Constants", [constants] { return constants; }),
       {u"ExportPicture",
        [space](ArgList& args) {
          if (args.size() != 4) vb::Raise(vb::kWrongArgumentCount);
          const String file = vb::CStr(com::ValueOf(args[0]));
          const String filter = vb::CStr(com::ValueOf(args[1]));
          const int32_t width = vb::CLng(com::ValueOf(args[2]));
          const int32_t height = vb::CLng(com::ValueOf(args[3]));
          const std::string bytes = ExportPicture(*space, filter, width, height);
          fs::ReplaceFile(file, bytes);
          return Variant(true);
        },
        nullptr}});
}

}  // namespace

void RegisterClasses() { com::RegisterClass({u"owc11.chartspace", u"", NewChartSpace}); }

}  // namespace chart
