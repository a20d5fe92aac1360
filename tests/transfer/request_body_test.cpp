// Reading an upload's body: straight from our Request, or through any
// object's late-bound BinaryRead; a client that goes away ends the read.
#include "transfer/request_body.h"

#include <gtest/gtest.h>

#include "platform/asp/asp_errors.h"
#include "platform/asp/context.h"
#include "support/cut_off_body.h"

namespace {

// A request object of someone else's making: BinaryRead hands out at most
// five bytes a call and sets the count it was given.
class DrippingRequest : public com::Dispatch<DrippingRequest> {
 public:
  DrippingRequest(std::string bytes, double declared) : bytes_(std::move(bytes)), declared_(declared) {}
  vb::String TypeName() const override { return u"IRequest"; }
  static const com::MemberTable<DrippingRequest>& Members() {
    static const com::MemberTable<DrippingRequest> table{
        {u"TotalBytes", com::kGet, 0, 0, [](DrippingRequest& r, com::ArgList&) { return vb::Variant(r.declared_); }},
        {u"BinaryRead", com::kGet, 1, 1,
         [](DrippingRequest& r, com::ArgList& a) {
           size_t n = std::min<size_t>({5, static_cast<size_t>(vb::CDbl(a[0])), r.bytes_.size() - r.position_});
           std::vector<uint8_t> out(r.bytes_.begin() + r.position_, r.bytes_.begin() + r.position_ + n);
           r.position_ += n;
           a[0] = static_cast<int32_t>(n);
           return vb::Variant(vb::Array::OfBytes(std::move(out)));
         }},
    };
    return table;
  }

 private:
  std::string bytes_;
  double declared_;
  size_t position_ = 0;
};

TEST(ReadRequestBody, ThroughALateBoundBinaryRead) {
  std::string bytes(1000, 'b');
  bytes[999] = 'e';
  vb::Variant request(std::make_shared<DrippingRequest>(bytes, 1000.0));
  qe::BodyBytes body = qe::ReadRequestBody(request, 1000, 64);
  EXPECT_EQ(body.View(), bytes);
  EXPECT_FALSE(body.Short());

  vb::Variant gone(std::make_shared<DrippingRequest>("only this", 1e6));
  qe::BodyBytes cut = qe::ReadRequestBody(gone, 1e6, 16384);
  EXPECT_EQ(cut.View(), "only this");
  EXPECT_TRUE(cut.Short());
}

TEST(ReadRequestBody, FromOurRequestAndItsLimit) {
  asp::Connection c;
  c.request.method = "POST";
  c.request.max_body_bytes = 100;
  c.body = std::make_unique<qe_test::CutOffBody>(std::string(150, 'x'), 150);
  asp::Context too_large(std::move(c));
  try {
    qe::ReadRequestBody(too_large.Request(), 150, 16384);
    FAIL() << "expected the server's refusal";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), asp::kAspFailure);
  }

  asp::Connection d;
  d.request.method = "POST";
  d.body = std::make_unique<qe_test::CutOffBody>("abc", 3);
  asp::Context small(std::move(d));
  EXPECT_EQ(qe::ReadRequestBody(small.Request(), 3, 2).View(), "abc");
  EXPECT_EQ(qe::ReadRequestBody(small.Request(), 0, 2).Size(), 0u);
}

}  // namespace
