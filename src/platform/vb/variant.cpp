#include "platform/vb/variant.h"

#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace vb {

Array::Array(VarType element_type, std::vector<Bound> bounds)
    : element_type_(element_type), bounds_(std::move(bounds)) {
  size_t n = Count();
  if (IsBytes()) bytes_.assign(n, 0);
  else items_.assign(n, element_type == vbString ? Variant(String()) : Variant());
}

Array Array::OfBytes(std::vector<uint8_t> bytes) {
  Array a;
  a.element_type_ = vbByte;
  a.bounds_ = {{0, static_cast<int32_t>(bytes.size()) - 1}};
  a.bytes_ = std::move(bytes);
  return a;
}

Array Array::OfVariants(std::vector<Variant> items) {
  Array a;
  a.element_type_ = vbVariant;
  a.bounds_ = {{0, static_cast<int32_t>(items.size()) - 1}};
  a.items_ = std::move(items);
  return a;
}

int32_t Array::LBound(int dimension) const {
  if (dimension < 1 || dimension > Dimensions()) Raise(kSubscriptOutOfRange);
  return bounds_[dimension - 1].lower;
}

int32_t Array::UBound(int dimension) const {
  if (dimension < 1 || dimension > Dimensions()) Raise(kSubscriptOutOfRange);
  return bounds_[dimension - 1].upper;
}

size_t Array::Count() const {
  if (bounds_.empty()) return 0;
  size_t n = 1;
  for (const auto& b : bounds_) n *= static_cast<size_t>(b.Count() > 0 ? b.Count() : 0);
  return n;
}

size_t Array::Offset(const std::vector<int32_t>& subscripts) const {
  if (subscripts.size() != bounds_.size()) Raise(kSubscriptOutOfRange);
  size_t offset = 0, stride = 1;
  for (size_t d = 0; d < bounds_.size(); ++d) {
    const auto& b = bounds_[d];
    if (subscripts[d] < b.lower || subscripts[d] > b.upper) Raise(kSubscriptOutOfRange);
    offset += static_cast<size_t>(subscripts[d] - b.lower) * stride;
    stride *= static_cast<size_t>(b.Count());
  }
  return offset;
}

Variant Array::Get(const std::vector<int32_t>& subscripts) const {
  size_t at = Offset(subscripts);
  if (IsBytes()) return Variant(bytes_[at]);
  return items_[at];
}

void Array::Set(const std::vector<int32_t>& subscripts, const Variant& value) {
  size_t at = Offset(subscripts);
  // A typed array converts what is stored in it, as VB's assignment does.
  if (IsBytes()) bytes_[at] = CByte(value);
  else if (element_type_ == vbVariant) items_[at] = value;
  else items_[at] = CoerceTo(value, element_type_);
}

void Array::RedimPreserve(int32_t upper) {
  if (bounds_.empty()) bounds_.push_back({0, -1});
  bounds_.back().upper = upper;
  size_t n = Count();
  if (IsBytes()) bytes_.resize(n, 0);
  else items_.resize(n, element_type_ == vbString ? Variant(String()) : Variant());
}

bool operator==(const Array& a, const Array& b) {
  if (a.element_type_ != b.element_type_ || a.bounds_.size() != b.bounds_.size()) return false;
  for (size_t i = 0; i < a.bounds_.size(); ++i)
    if (a.bounds_[i].lower != b.bounds_[i].lower || a.bounds_[i].upper != b.bounds_[i].upper)
      return false;
  return a.items_ == b.items_ && a.bytes_ == b.bytes_;
}

uint16_t Variant::Type() const {
  switch (v_.index()) {
    case 0: return vbEmpty;
    case 1: return vbNull;
    case 2: return vbInteger;
    case 3: return vbLong;
    case 4: return vbSingle;
    case 5: return vbDouble;
    case 6: return vbCurrency;
    case 7: return vbDate;
    case 8: return vbString;
    case 9: return vbObject;
    case 10: return vbError;
    case 11: return vbBoolean;
    case 12: return vbByte;
    case 13: return static_cast<uint16_t>(vbArray | std::get<Array>(v_).ElementType());
  }
  return vbEmpty;
}

bool Variant::IsNothing() const {
  return std::holds_alternative<ObjectPtr>(v_) && !std::get<ObjectPtr>(v_);
}

bool Variant::IsMissing() const {
  return std::holds_alternative<ErrorCode>(v_) && std::get<ErrorCode>(v_).scode == kParamNotFound;
}

bool Variant::IsNumericType() const {
  switch (Type()) {
    case vbInteger: case vbLong: case vbSingle: case vbDouble: case vbCurrency: case vbByte:
      return true;
    default:
      return false;
  }
}

ObjectPtr Variant::GetObject() const {
  if (auto p = std::get_if<ObjectPtr>(&v_)) return *p;
  return nullptr;
}

}  // namespace vb
