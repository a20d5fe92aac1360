// The image members that set the façade's image object up before they call
// it. What they set stays set on m_Image for the façade's next call.
#include "facade/qecls.h"
#include "transfer/kesra_class_image.h"

namespace qe {

void QeCls::CommImageOutputPreview(vb::String p_SourceFileName, vb::String p_TargetFileName, int32_t p_Width,
                                   int32_t p_Height) {
  m_Image->LetLoadFromFile(p_SourceFileName);
  m_Image->LetRate(int32_t{0});
  m_Image->LetWidth(p_Width);
  m_Image->LetHeight(p_Height);
  m_Image->KesraImageOutputPreview(p_TargetFileName);
}

void QeCls::KesraImageOutputTxtImg(vb::String p_SourceFileName, vb::String p_TargetFileName, vb::String p_MaskText,
                                   vb::String p_ForeColor, float p_Rate, float p_MaskRotate, vb::String p_MaskFontName,
                                   float p_FontWidth, float p_FontHeight, float p_FontLeft, float p_FontTop) {
  m_Image->LetLoadFromFile(p_SourceFileName);
  m_Image->LetMaskText(p_MaskText);
  m_Image->LetRate(p_Rate);
  m_Image->LetMaskTextFontName(p_MaskFontName);
  m_Image->LetMarkRotate(p_MaskRotate);
  m_Image->KesraImageOutputTxtImg(p_TargetFileName, p_ForeColor, p_FontWidth, p_FontHeight, p_FontLeft, p_FontTop);
}

void QeCls::KesraImageOutputMarkImg(vb::String p_SourceFileName, vb::String p_MaskFileName,
                                    vb::String p_TargetFileName, float p_Rate, float p_ImageLeft, float p_ImageTop,
                                    float& p_Alpha) {
  m_Image->LetLoadFromFile(p_SourceFileName);
  m_Image->LetLoadFromMaskImgFile(p_MaskFileName);
  m_Image->LetRate(p_Rate);
  m_Image->KesraImageOutputMarkImg(p_TargetFileName, p_ImageLeft, p_ImageTop, p_Alpha);
}

}  // namespace qe
