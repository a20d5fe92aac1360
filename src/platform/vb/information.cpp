#include "platform/vb/information.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"

namespace vb {
namespace {

const char16_t* NameOfType(uint16_t type) {
  switch (type) {
    case vbEmpty: return u"Empty";
    case vbNull: return u"Null";
    case vbInteger: return u"Integer";
    case vbLong: return u"Long";
    case vbSingle: return u"Single";
    case vbDouble: return u"Double";
    case vbCurrency: return u"Currency";
    case vbDate: return u"Date";
    case vbString: return u"String";
    case vbObject: return u"Object";
    case vbError: return u"Error";
    case vbBoolean: return u"Boolean";
    case vbByte: return u"Byte";
    default: return u"Variant";
  }
}

}  // namespace

bool IsNumeric(const Variant& v) {
  switch (v.Type()) {
    case vbEmpty:
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbBoolean:
    case vbByte: return true;
    case vbString: {
      double ignored;
      return ParseNumber(v.As<String>(), ignored);
    }
    default: return false;
  }
}

bool IsDate(const Variant& v) {
  if (v.Holds<Date>()) return true;
  if (!v.IsString()) return false;
  Date ignored;
  return ParseDate(v.As<String>(), ignored);
}

String TypeName(const Variant& v) {
  if (v.IsArray()) return String(NameOfType(v.As<Array>().ElementType())) + u"()";
  if (v.IsObject()) {
    ObjectPtr object = v.GetObject();
    return object ? object->TypeName() : u"Nothing";
  }
  return NameOfType(v.Type());
}

}  // namespace vb
