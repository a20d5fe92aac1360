#pragma once
// VB's Variant: the platform's tagged value, with VB's type numbers.
#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "platform/vb/error.h"
#include "platform/vb/string.h"

namespace com {
class Object;
}

namespace vb {

enum VarType : uint16_t {
  vbEmpty = 0,
  vbNull = 1,
  vbInteger = 2,
  vbLong = 3,
  vbSingle = 4,
  vbDouble = 5,
  vbCurrency = 6,
  vbDate = 7,
  vbString = 8,
  vbObject = 9,
  vbError = 10,
  vbBoolean = 11,
  vbVariant = 12,
  vbDecimal = 14,
  vbByte = 17,
  vbArray = 8192,
};

// A fixed-point number with four decimals: a count of ten-thousandths.
struct Currency {
  int64_t scaled = 0;
  friend bool operator==(Currency, Currency) = default;
};

// Days since 1899-12-30 (server local time); the fraction is the time of day.
struct Date {
  double serial = 0;
  friend bool operator==(Date, Date) = default;
};

// A Boolean variant: True is -1, False is 0.
struct Boolean {
  bool value = false;
  friend bool operator==(Boolean, Boolean) = default;
};

// vbError: an SCODE; DISP_E_PARAMNOTFOUND marks an omitted optional argument.
struct ErrorCode {
  int32_t scode = 0;
  friend bool operator==(ErrorCode, ErrorCode) = default;
};
inline constexpr int32_t kParamNotFound = static_cast<int32_t>(0x80020004u);

struct NullValue {
  friend bool operator==(NullValue, NullValue) = default;
};

using Object = com::Object;
using ObjectPtr = std::shared_ptr<com::Object>;
class Variant;

// A VB array: any number of dimensions with their own bounds, elements in
// column-major order as VB keeps them. Byte arrays keep raw bytes.
class Array {
 public:
  struct Bound {
    int32_t lower = 0;
    int32_t upper = -1;
    int32_t Count() const { return upper - lower + 1; }
  };

  Array() = default;
  Array(VarType element_type, std::vector<Bound> bounds);
  static Array OfBytes(std::vector<uint8_t> bytes);
  static Array OfVariants(std::vector<Variant> items);  // one dimension from 0

  VarType ElementType() const { return element_type_; }
  int Dimensions() const { return static_cast<int>(bounds_.size()); }
  int32_t LBound(int dimension = 1) const;  // error 9 past the dimensions
  int32_t UBound(int dimension = 1) const;
  size_t Count() const;
  const std::vector<Bound>& Bounds() const { return bounds_; }

  bool IsBytes() const { return element_type_ == vbByte; }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<Variant>& Items() { return items_; }
  const std::vector<Variant>& Items() const { return items_; }

  // Element by subscripts (error 9 when out of range). A typed array converts
  // the value to its element type (CByte, CStr, ...).
  Variant Get(const std::vector<int32_t>& subscripts) const;
  void Set(const std::vector<int32_t>& subscripts, const Variant& value);

  // ReDim Preserve of the last dimension.
  void RedimPreserve(int32_t upper);

  friend bool operator==(const Array&, const Array&);

 private:
  size_t Offset(const std::vector<int32_t>& subscripts) const;

  VarType element_type_ = vbVariant;
  std::vector<Bound> bounds_;
  std::vector<Variant> items_;
  std::vector<uint8_t> bytes_;
};

class Variant {
 public:
  using Storage = std::variant<std::monostate, NullValue, int16_t, int32_t, float, double, Currency,
                               Date, String, ObjectPtr, ErrorCode, Boolean, uint8_t, Array>;

  Variant() = default;
  Variant(int16_t v) : v_(v) {}
  Variant(int32_t v) : v_(v) {}
  Variant(float v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(Currency v) : v_(v) {}
  Variant(Date v) : v_(v) {}
  Variant(String v) : v_(std::move(v)) {}
  Variant(StringView v) : v_(String(v)) {}
  Variant(const char16_t* v) : v_(String(v)) {}
  Variant(ObjectPtr v) : v_(std::move(v)) {}
  template <class T>
    requires std::is_base_of_v<Object, T>
  Variant(std::shared_ptr<T> v) : v_(ObjectPtr(std::move(v))) {}
  Variant(std::nullptr_t) : v_(ObjectPtr()) {}  // Nothing
  Variant(ErrorCode v) : v_(v) {}
  Variant(Boolean v) : v_(v) {}
  Variant(bool v) : v_(Boolean{v}) {}
  Variant(uint8_t v) : v_(v) {}
  Variant(Array v) : v_(std::move(v)) {}
  Variant(NullValue v) : v_(v) {}

  static Variant Null() { return Variant(NullValue{}); }
  static Variant Missing() { return Variant(ErrorCode{kParamNotFound}); }
  static Variant Nothing() { return Variant(ObjectPtr()); }

  // VarType(): the VB type number (arrays: vbArray + element type).
  uint16_t Type() const;
  bool IsEmpty() const { return v_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<NullValue>(v_); }
  bool IsString() const { return std::holds_alternative<String>(v_); }
  bool IsObject() const { return std::holds_alternative<ObjectPtr>(v_); }
  bool IsNothing() const;
  bool IsArray() const { return std::holds_alternative<Array>(v_); }
  bool IsMissing() const;
  bool IsNumericType() const;  // Integer..Currency, Byte, Boolean, Date excluded

  template <class T>
  bool Holds() const { return std::holds_alternative<T>(v_); }
  template <class T>
  const T& As() const { return std::get<T>(v_); }
  template <class T>
  T& As() { return std::get<T>(v_); }

  // The object, or nullptr for anything else (Nothing included).
  ObjectPtr GetObject() const;
  const Storage& Raw() const { return v_; }

  // Strict equality of type and value (not VB's "=").
  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

 private:
  Storage v_;
};

inline Variant Missing() { return Variant::Missing(); }

}  // namespace vb
