#include "fields/ConeSolver.h"

#include <cmath>
#include <optional>

#include "fields/Angles.h"
#include "fields/FieldCheck.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

using Value = std::optional<double>;

// Zero tests and the picture choice read the leading number; it never fails.
double Leading(const ConeFields& fields, ConeField field) {
  return LeadingValue(fields.Text(field));
}

// Values that enter a formula need the whole text to be a number.
Value Full(const ConeFields& fields, ConeField field) {
  return FullValue(fields.Text(field));
}

// One step of a computation. It fails on a text that is not a number (no value) or on a division by
// zero, an invalid operation or an overflow (a value that is not finite); then result keeps what it
// held and the caller goes on with its next step.
template <class Step>
void RunStep(double& result, Step&& step) {
  const Value value = step();
  if (value && std::isfinite(*value)) result = *value;
}

// An intermediate value of a step, kept only when finite.
Value Finite(double value) {
  return std::isfinite(value) ? Value(value) : std::nullopt;
}

// The angle pattern "0.0#####" and the diameter pattern "0.0##".
std::string AngleText(double degrees) {
  return FormatNumber(degrees, 1, 6);
}
std::string DiameterText(double mm) {
  return FormatNumber(mm, 1, 3);
}

}  // namespace

void CalcAng(ConeFields& fields) {
  if (Leading(fields, ConeField::DDown) != 0.0 && Leading(fields, ConeField::DUp) != 0.0 &&
      Leading(fields, ConeField::H) != 0.0) {
    fields.SetAngEnabled(false);
    double height = 0.0;
    double radiusDiff = 0.0;
    double halfAngle = 0.0;
    RunStep(height, [&] { return Full(fields, ConeField::H); });
    RunStep(radiusDiff, [&]() -> Value {
      const Value lower = Full(fields, ConeField::DDown);
      const Value upper = Full(fields, ConeField::DUp);
      if (!lower || !upper) return std::nullopt;
      return (*lower - *upper) / 2.0;
    });
    RunStep(halfAngle, [&]() -> Value {
      const Value slope = Finite(radiusDiff / height);
      if (!slope) return std::nullopt;
      return Rad2Gr(std::atan(*slope));
    });
    fields.SetText(ConeField::Ang, AngleText(2.0 * halfAngle));
  } else {
    fields.SetAngEnabled(true);
    fields.SetText(ConeField::Ang, "0.0");
  }
  fields.SetSource(ConeField::Ang, ConeSource::Derived);
}

void CalcD(ConeFields& fields) {
  if (Leading(fields, ConeField::H) == 0.0) return;
  double height = 0.0;
  double halfAngle = 0.0;
  double offset = 0.0;
  RunStep(height, [&] { return Full(fields, ConeField::H); });
  RunStep(halfAngle, [&]() -> Value {
    const Value angle = Full(fields, ConeField::Ang);
    if (!angle) return std::nullopt;
    return Gr2Rad(*angle) / 2.0;
  });
  RunStep(offset, [&] { return Value(height * std::tan(halfAngle)); });

  // The automatic (white) diameter is the given one plus 2 * offset, whichever of the two it is.
  const auto derive = [&](ConeField automatic, ConeField given) {
    if (fields.Source(automatic) != ConeSource::Derived || fields.Source(given) == ConeSource::Derived)
      return;
    // A failed step writes nothing: the automatic diameter keeps its text.
    const Value base = Full(fields, given);
    const Value diameter = base ? Finite(*base + 2.0 * offset) : std::nullopt;
    if (diameter) fields.SetText(automatic, DiameterText(*diameter));
  };
  derive(ConeField::DUp, ConeField::DDown);
  derive(ConeField::DDown, ConeField::DUp);
}

void SelAuto(ConeFields& fields, ConeField field) {
  fields.SetSource(field, Leading(fields, field) != 0.0 ? ConeSource::Given : ConeSource::Derived);
  const double upper = Leading(fields, ConeField::DUp);
  const double lower = Leading(fields, ConeField::DDown);
  if (upper > lower) {
    fields.ShowPicture(ConePicture::UpperWider);
  } else if (upper < lower) {
    fields.ShowPicture(ConePicture::UpperNarrower);
  } else {
    fields.ShowPicture(ConePicture::Equal);
  }
}

void OnConeKeyRelease(ConeFields& fields, ConeField field) {
  if (field == ConeField::Ang) {
    CalcD(fields);
    SelAuto(fields, field);
  } else {
    SelAuto(fields, field);
    CalcAng(fields);
  }
}

std::string PlainConeFields::Text(ConeField field) const {
  return m_texts[Index(field)];
}

// Every write goes through the field check, as a text field's change notification does; only the
// angle may carry a sign.
void PlainConeFields::SetText(ConeField field, const std::string& text) {
  m_texts[Index(field)] = CheckInputErr(text, field == ConeField::Ang);
}

}  // namespace kalmoro
