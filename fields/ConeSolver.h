#pragma once

#include <array>
#include <string>

// Keeps the four cone values consistent while the user types: derives the angle from the diameters
// and the height, or a diameter from the other one, the angle and the height.
namespace kalmoro {

enum class ConeField { H, DUp, DDown, Ang };

// The drawing in view: the store it was taken from, or none before the first key release.
enum class ConePicture { None = 0, UpperWider = 1, UpperNarrower = 2, Equal = 3 };

// Whether a field holds a value the user gave, or one the solver derives (or none yet): the window shows
// the two apart.
enum class ConeSource { Derived, Given };

// The four cone fields as the solver sees them. The window implements this over its widgets; tests
// and the command-line tool use PlainConeFields. SetText must pass the text through the field check,
// as a text field's change notification does.
class ConeFields {
 public:
  virtual ~ConeFields() = default;
  virtual std::string Text(ConeField field) const = 0;
  virtual void SetText(ConeField field, const std::string& text) = 0;
  virtual ConeSource Source(ConeField field) const = 0;
  virtual void SetSource(ConeField field, ConeSource source) = 0;
  virtual void SetAngEnabled(bool enabled) = 0;
  virtual void ShowPicture(ConePicture picture) = 0;
};

void CalcAng(ConeFields& fields);
void CalcD(ConeFields& fields);
void SelAuto(ConeFields& fields, ConeField field);
// The key-release handler of a cone field: SelAuto then CalcAng, or for the angle CalcD then SelAuto.
void OnConeKeyRelease(ConeFields& fields, ConeField field);

// Plain values, start state of the window: all "0", none given, angle enabled, no picture.
class PlainConeFields : public ConeFields {
 public:
  std::string Text(ConeField field) const override;
  void SetText(ConeField field, const std::string& text) override;
  ConeSource Source(ConeField field) const override { return m_sources[Index(field)]; }
  void SetSource(ConeField field, ConeSource source) override { m_sources[Index(field)] = source; }
  void SetAngEnabled(bool enabled) override { m_angEnabled = enabled; }
  void ShowPicture(ConePicture picture) override { m_picture = picture; }

  bool AngEnabled() const { return m_angEnabled; }
  ConePicture Picture() const { return m_picture; }

 private:
  static std::size_t Index(ConeField field) { return static_cast<std::size_t>(field); }

  std::array<std::string, 4> m_texts{"0", "0", "0", "0"};
  std::array<ConeSource, 4> m_sources{ConeSource::Derived, ConeSource::Derived, ConeSource::Derived,
                                      ConeSource::Derived};
  bool m_angEnabled = true;
  ConePicture m_picture = ConePicture::None;
};

}  // namespace kalmoro
