#pragma once
// The system's password digest, "QE.Kesra_Class_Md5": RFC 1321 MD5 over the
// characters' ANSI codes (code page 936), one code per character.
//
// A double-byte character's code is negative and sign-extended to 32 bits
// before it is shifted into its message word, so its high bits also set the
// higher bytes of that word. That is not the standard MD5 of the text's
// bytes, but every stored password was digested this way: keep it.
#include "platform/com/object.h"

namespace qe {

class Kesra_Class_Md5 : public com::Dispatch<Kesra_Class_Md5> {
 public:
  Kesra_Class_Md5();
  ~Kesra_Class_Md5() override;

  static const com::MemberTable<Kesra_Class_Md5>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_Md5"; }

  // 32 upper-case hexadecimal digits. The variant is read as text (CStr).
  vb::String KesraMd5(vb::Variant& sMessage) const;
  vb::String KesraMd5(vb::StringView sMessage) const;

  // The salted form that the Serv-U FTP server keeps: two random lower-case
  // letters ("b".."y") followed by the digest of the letters and the password.
  vb::String KesraServU(vb::StringView p_StrPass) const;
};

}  // namespace qe
