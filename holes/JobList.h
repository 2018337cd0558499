#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "holes/GenResult.h"
#include "holes/Job.h"
#include "nc/HoleHeader.h"

// The job as the user puts it together on the page "Задание": holes added from the hole pages, placed,
// reordered, copied onto a bolt circle, and written as one program. The window shows it and passes the
// user's texts; every rule about them lives here.
namespace kalmoro {

inline constexpr const char* kMsgJobPositionText =
    "Координата — это число, не больше трёх знаков после точки или запятой, в пределах ±99999.999 мм "
    "(например, -12.5).";
inline constexpr const char* kMsgJobFull = "В задании может быть не больше 10000 отверстий.";
inline constexpr const char* kMsgCircleCount =
    "Число отверстий на окружности должно быть целым, от 1 до 360.";
inline constexpr const char* kMsgCircleDiameter = "Диаметр окружности должен быть числом больше нуля, в мм.";
inline constexpr const char* kMsgCircleAngle =
    "Начальный угол должен быть числом градусов, например 0, 15 или -22.5.";
inline constexpr const char* kMsgCircleCentre =
    "Центр окружности X, Y: числа не больше чем с тремя знаками после точки, в пределах ±99999.999 мм.";

// One hole of the list: what its program's header says about it, and the hole as the job takes it.
struct JobListHole {
  HoleHeader header;
  JobHole hole;
};

// What the table shows of a hole: its kind ("круглое", "прямоугольное", "коническое", "прямоугольное с
// уклоном") and its dimensions ("D10"; "20×10 R2"; "D1 / D0.8, H2", the lower diameter first, then the
// upper one and the height; "20×10 R2, T20, 1°, углы цилиндрические"), an opening's relief after them
// (", поясок 3, освобождение 1°, T20").
std::string HoleKindText(const HoleHeader& header);
std::string HoleSizeText(const HoleHeader& header);

// A position as the table shows it: up to three decimals, no trailing zeros ("12.5", "-30", "0").
std::string PositionText(double value);
// A position the user typed: an optional sign, digits with at most one "." or "," (read as ".") and at
// most three digits after it, blanks around allowed, within ±kMaxJobPosition. Nothing otherwise.
std::optional<double> ParsePosition(std::string_view text);

// The bolt circle's fields as typed: how many copies, the circle's diameter, the angle of the first
// copy (degrees, counter-clockwise from +X) and the circle's centre.
struct BoltCircleTexts {
  std::string count, diameter, angle, x, y;
};

class JobList {
 public:
  const std::vector<JobListHole>& Holes() const { return m_holes; }
  std::size_t Size() const { return m_holes.size(); }

  // Appends the hole a generator wrote, at (x, y). The generator's refusal, or the list being full
  // (kMaxJobHoles), is returned as the message and adds nothing; an empty text when it was added.
  std::string Add(const GenResult& generated, double x = 0, double y = 0);
  // `x` and `y` as ParsePosition gives them.
  void SetPosition(std::size_t row, double x, double y);
  // Swaps the hole with the one before (after) it; nothing at the first (last) row.
  void MoveUp(std::size_t row);
  void MoveDown(std::size_t row);
  void Remove(std::size_t row);

  // Replaces the hole at `row` by `count` copies of it on a circle, the k-th at the angle
  // angle + 360°·k/count, positions rounded to 0.001 mm. The message of the first field that does not
  // read, of a copy that would stand beyond ±kMaxJobPosition, or of a list that would grow beyond
  // kMaxJobHoles; then nothing changes. An empty text when it was done.
  std::string PlaceOnCircle(std::size_t row, const BoltCircleTexts& texts);

  // The travel between the holes' centres in their order (JobOrder.h).
  double Travel() const;
  // Puts the holes in the order OptimiseOrder finds. Returns the order: the new row k holds the hole
  // that was at row order[k].
  std::vector<std::size_t> Optimise();

  // Whether the job roughs every hole first and comes back for the skims (WriteJob).
  bool RoughFirst() const { return m_roughFirst; }
  void SetRoughFirst(bool on) { m_roughFirst = on; }

  // The job's program: GenJob of the holes in their order, rough-first when set.
  GenResult Generate(const WireCodes& codes) const;

  // Fills the list from a job program's hole comment lines, each hole regenerated from its header with
  // its passes, the slug held at codes.hold, and takes its rough-first setting from the first line.
  // Nothing, and the list unchanged, when the program is no job (its first line is not "%(JOB: …").
  // Otherwise the number of hole comment lines left out: a header that is no hole, a hole its generator
  // refuses, a position beyond ±kMaxJobPosition, holes beyond kMaxJobHoles.
  std::optional<std::size_t> Restore(std::string_view program, const WireCodes& codes = {});

 private:
  std::vector<JobListHole> m_holes;
  bool m_roughFirst = false;
};

}  // namespace kalmoro
