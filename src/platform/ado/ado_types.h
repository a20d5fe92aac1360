#pragma once
// ADO's DataTypeEnum numbers and what each means for storage and values.
#include <cstdint>

#include "platform/vb/variant.h"

namespace ado {

enum DataType : int {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBSTR = 8,
  adBoolean = 11,
  adVariant = 12,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adBigInt = 20,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

// Field.Attributes bits (FieldAttributeEnum).
enum FieldAttribute : int {
  adFldMayDefer = 0x2,
  adFldUpdatable = 0x4,
  adFldUnknownUpdatable = 0x8,
  adFldFixed = 0x10,
  adFldIsNullable = 0x20,
  adFldMayBeNull = 0x40,
  adFldLong = 0x80,
};

bool IsKnownType(int type);  // a DataTypeEnum number this layer stores
bool IsTextType(int type);    // character types, long ones included
bool IsBinaryType(int type);  // byte types, long ones included
bool IsLongType(int type);    // memo and OLE object kinds: no size limit, chunks
bool IsFixedType(int type);   // numbers, dates, Booleans
// A size limit that assigned values must keep (characters or bytes; 0: none).
bool HasSizeLimit(int type);
// The size a column of this type reports when none was given.
int32_t DefaultDefinedSize(int type);

// A value converted to what a field of this type holds (Null and Empty stay
// Null); raises vb::Error 13 when it cannot be.
vb::Variant CoerceToField(const vb::Variant& value, int type);

// The number of characters or bytes that a value holds (Field.ActualSize).
int32_t ActualSizeOf(const vb::Variant& value, int type);

}  // namespace ado
