#include "editors/kesra_chart_picture.h"

#include "platform/com/object.h"
#include "platform/com/registry.h"

namespace qe {
namespace {

using com::Call;
using com::Let;
using vb::Variant;

int32_t Rgb(int32_t red, int32_t green, int32_t blue) { return red + 256 * green + 65536 * blue; }

// The font of a title, an axis or the data labels.
void SetFont(const Variant& owner, Variant size, bool bold_hei) {
  const Variant font = Call(owner, u"Font");
  Let(font, u"Size", size);
  if (bold_hei) {
    Let(font, u"name", Variant(u"黑体"));
    Let(font, u"Bold", Variant(true));
  }
}

}  // namespace

int16_t KesraGraphiWithOwc(vb::String p_Categories, vb::String p_Values, vb::String p_SeriesCaption,
                           int16_t p_GraphiType, vb::String p_ChartTitle, int16_t p_ScalingOrientation,
                           vb::String p_GraphiOutType, int16_t p_GraphiWidth, int16_t p_GraphiHeight,
                           vb::String p_GraphiFileFullName) {
  Variant space;
  try {
    space = com::CreateObject(u"owc11.chartspace");
  } catch (const vb::Error& e) {
    if (e.Number() > 0) return 1;
    throw;
  }

  Call(space, u"Clear");
  const Variant chart = Call(Call(space, u"Charts"), u"Add");
  const Variant constants = Call(space, u"Constants");
  const Variant series = Call(Call(chart, u"seriescollection"), u"Add");
  Let(series, u"Caption", Variant(p_SeriesCaption));
  Call(series, u"SetData", Call(constants, u"chdimcategories"), Call(constants, u"chdataliteral"),
       Variant(p_Categories));
  Call(series, u"SetData", Call(constants, u"chdimvalues"), Call(constants, u"chdataliteral"), Variant(p_Values));
  Let(series, u"type", Variant(p_GraphiType));

  Call(Call(series, u"DataLabelsCollection"), u"Add");
  const Variant labels = Call(series, u"DataLabelsCollection", Variant(int16_t{0}));
  Let(labels, u"hasvalue", Variant(true));
  Let(Call(labels, u"Font"), u"Color", Variant(Rgb(153, 51, 0)));
  SetFont(labels, Variant(int16_t{9}), false);

  Let(Call(chart, u"border"), u"Color", Variant(Rgb(128, 128, 128)));
  Let(Call(chart, u"Interior"), u"Color", Variant(Rgb(239, 239, 239)));
  Let(Call(Call(chart, u"PlotArea"), u"Interior"), u"Color", Variant(Rgb(228, 240, 255)));

  Let(chart, u"hastitle", Variant(true));
  const Variant title = Call(chart, u"Title");
  Let(title, u"Caption", Variant(p_ChartTitle));
  Let(Call(title, u"Font"), u"Color", Variant(u"black"));
  SetFont(title, Variant(int16_t{15}), true);

  Let(Call(Call(chart, u"Axes", Variant(int16_t{1})), u"Scaling"), u"Orientation", Variant(p_ScalingOrientation));

  const Variant categories = Call(chart, u"Axes", Variant(int16_t{0}));
  Let(categories, u"HasMajorGridlines", Variant(true));
  SetFont(categories, Variant(int16_t{10}), true);
  const Variant category_lines = Call(Call(categories, u"MajorGridlines"), u"Line");
  Let(category_lines, u"Color", Variant(Rgb(175, 220, 255)));
  Let(category_lines, u"Weight", Variant(0.5));

  const Variant values = Call(chart, u"Axes", Variant(int16_t{1}));
  Let(values, u"HasMinorGridlines", Variant(true));
  SetFont(values, Variant(int16_t{10}), true);
  Let(values, u"HasMajorGridlines", Variant(true));
  Let(values, u"HasMinorGridlines", Variant(false));
  const Variant value_lines = Call(Call(values, u"MajorGridlines"), u"Line");
  Let(value_lines, u"Color", Variant(Rgb(111, 195, 255)));
  Let(value_lines, u"Weight", Variant(int16_t{2}));

  try {
    Call(space, u"ExportPicture", Variant(p_GraphiFileFullName), Variant(p_GraphiOutType),
         Variant(p_GraphiWidth), Variant(p_GraphiHeight));
  } catch (const vb::Error& e) {
    if (e.Number() > 0) return 2;
    throw;
  }
  return 0;
}

}  // namespace qe
