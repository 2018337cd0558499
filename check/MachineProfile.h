#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nc/JobProgram.h"
#include "nc/PassOptions.h"

// The machine a program is cut on, as the user describes it once: the wire, the gaps and stock of each
// pass, the taper head's limit, the table's travel, the cutting rate, the stop codes. Stored as a small
// ini file that scripts read and write too:
//
//   [machine]
//   wire_diameter = 0.25      ; mm
//   spark_gap = 0.02          ; mm, each side: the rough pass's
//   rough_stock = 0.06        ; mm, each side, that the rough pass leaves for the skims
//   skim1_gap = 0.01          ; mm, spark gap of skim 1 (skim2_gap … skim4_gap likewise)
//   skim1_stock = 0.015       ; mm that skim 1 leaves for the skims after it (… skim3_stock)
//   skim1_time = 0.5          ; skim 1's time over the rough pass's on the same path (… skim4_time)
//   max_taper_angle = 30      ; degrees, full cone angle the machine can cut
//   travel_x = 350            ; mm, optional: table range centred on the start point
//   travel_y = 250
//   travel_u = 80             ; mm, optional: taper head range
//   travel_v = 80
//   cutting_rate = 100        ; mm²/min (contour length × height per minute)
//   height = 10               ; mm, workpiece height for holes whose program gives none
//   cut_wire = M00            ; stop code to cut the wire between the holes of a job
//   thread_wire = M00         ; stop code to thread it at the next hole
//   hold_slug = M00           ; stop code to secure the slug before the rough contour closes
//   skims = 2                 ; optional: the window's choice of passes for new programs, 0-4 skims
//   stop = 15                 ; mm before the rough contour closes (0: the slug is not held)
//   direction = same          ; alternate (the default) or same
//   rough_first = 1           ; 1: a job roughs every hole first (0, the default: hole by hole)
//
// The gaps, stocks and times of the passes are starting values, to be calibrated on the machine. The
// last four keys are the window's choice of passes, kept when the user saves the profile; the command
// line takes its passes from its options and does not read them.
namespace kalmoro {

struct MachineProfile {
  double wireDiameter = 0.25;
  double sparkGap = 0.02;  // the rough pass's
  // What each pass leaves for the passes after it: stock[0] the rough pass, stock[k] skim k.
  std::array<double, kMaxSkims> stock{0.06, 0.015, 0.006, 0.003};
  // Skim k's spark gap and its time as a share of the rough pass's on the same path, at [k - 1].
  std::array<double, kMaxSkims> skimGap{0.01, 0.006, 0.004, 0.003};
  std::array<double, kMaxSkims> skimTime{0.5, 0.5, 0.5, 0.5};
  double maxTaperAngle = 30;
  // Whole ranges, centred on the start point (X, Y) and on the upright wire (U, V); nothing when the
  // profile does not give them, and then travel is not checked.
  std::optional<double> travelX, travelY, travelU, travelV;
  double cuttingRate = 100;
  double height = 10;
  WireCodes wire;
  // The passes the window offers for new programs, and whether its jobs rough every hole first.
  PassOptions passes;
  bool roughFirst = false;

  // How far the wire's centre runs from the contour: its radius plus the spark gap.
  double WireOffset() const { return wireDiameter / 2 + sparkGap; }
  bool operator==(const MachineProfile&) const = default;
};

// The register of one pass, as the operator types it into the control: register D(pass − 1) holds the
// wire's radius plus the pass's spark gap plus the stock it leaves for the passes after it (none after
// the last pass of the program).
struct PassRegister {
  int pass = 1;  // 1 for the rough pass
  double wireRadius = 0, gap = 0, stock = 0;
  double offset = 0;      // wireRadius + gap + stock
  double timeFactor = 1;  // its time over the rough pass's on the same path
};

// The registers of a program of `passes` passes (1 … kMaxSkims + 1; others are taken as the nearest).
std::vector<PassRegister> RegisterTable(const MachineProfile& machine, int passes);
// The register of pass `pass` of `passes` (each taken within its range).
PassRegister RegisterOf(const MachineProfile& machine, int pass, int passes);

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

// The file text of a profile, every key with its unit, LF line ends; the travel keys only when given,
// the choice of passes only when it is not the default one.
// ParseMachineProfile reads it back to the same profile.
std::string MachineProfileText(const MachineProfile& profile);

}  // namespace kalmoro
