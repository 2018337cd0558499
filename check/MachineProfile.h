#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "nc/JobProgram.h"

// The machine a program is cut on, as the user describes it once: the wire, the taper head's limit,
// the table's travel, the cutting rate. Stored as a small ini file that scripts read and write too:
//
//   [machine]
//   wire_diameter = 0.25      ; mm
//   spark_gap = 0.02          ; mm, each side
//   max_taper_angle = 30      ; degrees, full cone angle the machine can cut
//   travel_x = 350            ; mm, optional: table range centred on the start point
//   travel_y = 250
//   travel_u = 80             ; mm, optional: taper head range
//   travel_v = 80
//   cutting_rate = 100        ; mm²/min (contour length × height per minute)
//   height = 10               ; mm, workpiece height for holes whose program gives none
//   cut_wire = M00            ; stop code to cut the wire between the holes of a job
//   thread_wire = M00         ; stop code to thread it at the next hole
namespace kalmoro {

struct MachineProfile {
  double wireDiameter = 0.25;
  double sparkGap = 0.02;
  double maxTaperAngle = 30;
  // Whole ranges, centred on the start point (X, Y) and on the upright wire (U, V); nothing when the
  // profile does not give them, and then travel is not checked.
  std::optional<double> travelX, travelY, travelU, travelV;
  double cuttingRate = 100;
  double height = 10;
  WireCodes wire;

  // How far the wire's centre runs from the contour: its radius plus the spark gap.
  double WireOffset() const { return wireDiameter / 2 + sparkGap; }
  bool operator==(const MachineProfile&) const = default;
};

// A profile file read: the profile, or the first line that does not read and why.
struct MachineProfileReading {
  std::optional<MachineProfile> profile;
  int line = 0;       // from 1; 0 when the fault is not at a line
  std::string error;  // in Russian, without the line: "неизвестный ключ «foo»"
};

// Reads a profile file (UTF-8, any line ends, an optional byte-order mark). Blank lines and lines
// starting with ";" or "#" are comments, and so is what follows ";" on a line. Every key stands in
// the section [machine], at most once; keys left out keep their defaults. Numbers have "." as the
// decimal point. Never throws.
MachineProfileReading ParseMachineProfile(std::string_view text);

// The reading's fault as a message naming the line: "строка 3: неизвестный ключ «foo»".
std::string MachineProfileErrorText(const MachineProfileReading& reading);

// The file text of a profile, every key with its unit, LF line ends; the travel keys only when given.
// ParseMachineProfile reads it back to the same profile.
std::string MachineProfileText(const MachineProfile& profile);

}  // namespace kalmoro
