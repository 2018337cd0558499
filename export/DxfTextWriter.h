#pragma once

#include <dl_writer_ascii.h>

#include <string>

// Private to export/.
namespace kalmoro {

// dxflib's ASCII writer made to write into memory: dxflib writes only to a file named to it, and formats
// its numbers with sprintf into a fixed buffer. Here every group goes into a string, numbers through
// nc/NumberText.h (no locale, no buffer to overflow), and no file is made at all, so none can be left.
class DxfTextWriter : public DL_WriterA {
 public:
  explicit DxfTextWriter(DL_Codes::version version) : DL_WriterA("", version) {}

  void dxfReal(int gc, double value) const override;
  void dxfInt(int gc, int value) const override;
  void dxfHex(int gc, int value) const override;
  void dxfString(int gc, const char* value) const override;
  void dxfString(int gc, const std::string& value) const override;

  std::string Take() { return std::move(m_text); }

 private:
  void Group(int gc, std::string_view value) const;

  mutable std::string m_text;
};

}  // namespace kalmoro
