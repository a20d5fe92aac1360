#pragma once
// The database-maintenance class that the façade holds as m_Access. It keeps
// an ADOX catalog from its creation on, so that it cannot be created (nor,
// with it, the façade) on a server without ADOX.
#include "platform/com/object.h"

namespace qe {

class Kesra_Class_Access : public com::Dispatch<Kesra_Class_Access> {
 public:
  // Raises the platform's error (429) when "ADOX.Catalog" cannot be created.
  Kesra_Class_Access();
  ~Kesra_Class_Access() override;

  static const com::MemberTable<Kesra_Class_Access>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_Access"; }

  const vb::Variant& Catalog() const { return m_Catalog; }

 private:
  vb::Variant m_Catalog;
};

}  // namespace qe
