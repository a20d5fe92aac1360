// The VML charts and the chart component's literal data on tables made from
// arbitrary bytes: a chart either returns its text or raises a run-time error
// (never a crash, a hang, or a position that is not a number).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "editors/kesra_chart_bar.h"
#include "editors/kesra_chart_interactive.h"
#include "editors/kesra_chart_line.h"
#include "editors/kesra_chart_pie.h"
#include "platform/chart/chart_draw.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/chart/chart_space.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (!size) return 0;
    --size;
    return *data++;
  }
  int16_t Small(int range) { return static_cast<int16_t>(static_cast<int8_t>(Byte()) * range / 128); }
  vb::String Text() {
    vb::String out;
    for (int n = Byte() % 12; n > 0; --n) {
      const uint8_t b = Byte();
      out += b < 200 ? static_cast<char16_t>(u" 0123456789.,-+eE<>&'\"\t甲"[b % 24]) : char16_t(0x4E00 + b);
    }
    return out;
  }
  vb::Variant Cell() {
    switch (Byte() % 6) {
      case 0: return vb::Variant(Small(400));
      case 1: return vb::Variant(static_cast<double>(Small(32000)) / (1 + Byte()));
      case 2: return vb::Variant(Text());
      case 3: return vb::Variant();
      case 4: return vb::Variant(static_cast<double>(Small(100)) * 1e6);
      default: return vb::Variant(static_cast<int32_t>(Small(30000)) * 3);
    }
  }
};

void Check(const vb::String& text) {
  if (text.find(u"nan") != vb::String::npos || text.find(u"inf") != vb::String::npos) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int rows = in.Byte() % 9 - 1, columns = in.Byte() % 5 + 1;
  vb::Array array(vb::vbVariant, {{0, rows}, {0, columns - 1}});
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c < columns; ++c) array.Set({r, c}, in.Cell());
  vb::Variant table(std::move(array));
  const int16_t left = in.Small(300), width = in.Small(600), height = in.Small(600);
  const vb::String top = in.Byte() % 4 ? vb::FromUtf8(std::to_string(in.Small(200))) : in.Text();
  try {
    switch (in.Byte() % 5) {
      case 0: Check(qe::KesraTableChart1(table, left, top, in.Small(20), in.Small(50), width, height, in.Byte() % 2 ? u"A" : u"B")); break;
      case 1: Check(qe::KesraTableChart2(table, left, top, width, height, static_cast<int16_t>(in.Byte() % 5))); break;
      case 2: Check(qe::KesraTableChart3(table, left, top, width, height, in.Byte() % 2 ? u"A" : u"B")); break;
      case 3: Check(qe::KesraTableChart4(table, left, top, width, height, in.Text(), in.Text(), in.Text())); break;
      default: {
        // The component's literal data, then a small picture of it.
        static const bool registered = (chart::RegisterClasses(), true);
        (void)registered;
        vb::Variant space(com::CreateObject(u"owc11.chartspace"));
        vb::Variant chart = com::Call(com::Call(space, u"Charts"), u"Add");
        vb::Variant series = com::Call(com::Call(chart, u"seriescollection"), u"Add");
        com::Call(series, u"SetData", int32_t{1}, int32_t{-1}, in.Text());
        com::Call(series, u"SetData", int32_t{2}, int32_t{-1}, in.Text());
        com::Let(series, u"type", vb::Variant(static_cast<int16_t>(in.Byte() % 4)));
        com::Let(com::Call(com::Call(chart, u"Axes", int16_t{1}), u"Scaling"), u"Orientation",
                 vb::Variant(static_cast<int16_t>(in.Byte() % 2)));
        chart::Space model;
        model.charts.push_back(std::make_shared<chart::Chart>());
        auto drawn = std::make_shared<chart::Series>();
        drawn->type = in.Byte() % 4;
        drawn->data_labels = drawn->has_value = true;
        for (int n = in.Byte() % 6; n > 0; --n) {
          drawn->values.push_back(vb::CDbl(in.Cell()));
          drawn->categories.push_back(in.Text());
        }
        model.charts.back()->axes[1].orientation = in.Byte() % 2;
        model.charts.back()->series.push_back(drawn);
        chart::ExportPicture(model, u"png", 1 + in.Byte() % 64, 1 + in.Byte() % 48);
        break;
      }
    }
  } catch (const vb::Error&) {
  }
  return 0;
}

// fontconfig 2.14 drops a block while it reads its configuration, once a
// process (the component's text drawing tells the leak checker the same).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
