#include "platform/ado/ado_types.h"

#include "platform/vb/convert.h"

namespace ado {

bool IsKnownType(int type) {
  switch (type) {
    case adSmallInt: case adInteger: case adSingle: case adDouble: case adCurrency: case adDate: case adBSTR:
    case adBoolean: case adVariant: case adDecimal: case adTinyInt: case adUnsignedTinyInt: case adBigInt:
    case adGUID: case adBinary: case adChar: case adWChar: case adNumeric: case adDBDate: case adDBTime:
    case adDBTimeStamp: case adVarChar: case adLongVarChar: case adVarWChar: case adLongVarWChar:
    case adVarBinary: case adLongVarBinary:
      return true;
    default: return false;
  }
}

bool IsTextType(int type) {
  switch (type) {
    case adBSTR: case adChar: case adWChar: case adVarChar: case adLongVarChar: case adVarWChar:
    case adLongVarWChar: case adGUID:
      return true;
    default: return false;
  }
}

bool IsBinaryType(int type) { return type == adBinary || type == adVarBinary || type == adLongVarBinary; }

bool IsLongType(int type) {
  return type == adLongVarChar || type == adLongVarWChar || type == adLongVarBinary;
}

bool IsFixedType(int type) { return !IsTextType(type) && !IsBinaryType(type) && type != adVariant; }

bool HasSizeLimit(int type) {
  return type == adChar || type == adWChar || type == adVarChar || type == adVarWChar || type == adBinary ||
         type == adVarBinary;
}

int32_t DefaultDefinedSize(int type) {
  switch (type) {
    case adSmallInt: return 2;
    case adInteger: case adSingle: return 4;
    case adDouble: case adCurrency: case adDate: case adBigInt: case adDBTimeStamp: return 8;
    case adBoolean: return 2;
    case adTinyInt: case adUnsignedTinyInt: return 1;
    case adDecimal: case adNumeric: return 19;
    case adGUID: return 16;
    case adChar: case adWChar: case adVarChar: case adVarWChar: return 255;
    case adBinary: case adVarBinary: return 510;
    case adLongVarChar: case adLongVarWChar: case adLongVarBinary: return 0x7FFFFFFF;
    default: return 0;
  }
}

vb::Variant CoerceToField(const vb::Variant& value, int type) {
  if (value.IsNull() || value.IsEmpty()) return vb::Variant::Null();
  switch (type) {
    case adSmallInt: case adTinyInt: return vb::Variant(vb::CInt(value));
    case adInteger: return vb::Variant(vb::CLng(value));
    case adUnsignedTinyInt: return vb::Variant(vb::CByte(value));
    case adSingle: return vb::Variant(vb::CSng(value));
    case adDouble: case adDecimal: case adNumeric: case adBigInt: return vb::Variant(vb::CDbl(value));
    case adCurrency: return vb::Variant(vb::CCur(value));
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp: return vb::Variant(vb::CDate(value));
    case adBoolean: return vb::Variant(vb::CBool(value));
    case adBinary: case adVarBinary: case adLongVarBinary:
      if (value.IsArray() && value.As<vb::Array>().IsBytes()) return value;
      if (value.IsString()) {
        // A text's storage, low byte first, as VB hands a string to a byte field.
        std::vector<uint8_t> bytes;
        for (char16_t c : value.As<vb::String>()) {
          bytes.push_back(static_cast<uint8_t>(c & 0xFF));
          bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        return vb::Variant(vb::Array::OfBytes(std::move(bytes)));
      }
      vb::Raise(vb::kTypeMismatch);
    case adVariant: return value;
    default:
      if (IsTextType(type)) return vb::Variant(vb::CStr(value));
      return value;
  }
}

int32_t ActualSizeOf(const vb::Variant& value, int type) {
  if (value.IsNull() || value.IsEmpty()) return 0;
  if (value.IsString()) return static_cast<int32_t>(value.As<vb::String>().size());
  if (value.IsArray() && value.As<vb::Array>().IsBytes())
    return static_cast<int32_t>(value.As<vb::Array>().Bytes().size());
  return DefaultDefinedSize(type);
}

}  // namespace ado
