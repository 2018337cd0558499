#pragma once

#include <string>
#include <vector>

#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

// What a program asks of the machine and its wire, held against the machine's profile: run by `check`
// and by the preview on a program already read.
namespace kalmoro {

// Adds to the reading's problems, each at its line, in the order of lines:
// - an arc the wire cannot cut: with compensation on, the wire's centre runs inside an arc that turns
//   towards the compensation's side (G03 with G41, G02 with G42) by its pass's register (RegisterOf:
//   the wire's radius, the pass's gap and the stock it leaves), so a smaller radius cannot be cut (kind
//   WireRadius);
// - sharp inside corners of each hole's last pass (a relief pass, which runs in the air at the land,
//   left aside), which the wire rounds to that pass's register: a note at the first one (kind Note), not
//   a problem;
// - the first block whose taper is steeper than the machine's angle (kind Taper); the wire height is
//   the program's R word, or the profile's height;
// - the first block beyond the machine's travel in X or Y (from the start point) and in U or V (from the
//   upright wire), when the profile gives it (kind Travel).
// Keeps at most kShownProblems, dropping notes before problems.
void CheckMachine(ProgramReading& reading, const MachineProfile& machine);

// The time of one pass (ProgramReading::passes), in minutes: its path as the rough pass would cut it,
// times its factor (RegisterOf().timeFactor).
struct PassTime {
  std::size_t pass = 0;  // index into ProgramReading::passes
  double factor = 1;
  double contour = 0;
  double leadInAndExit = 0;
  double Total() const { return contour + leadInAndExit; }
};

// The cutting time of a program, in minutes: the length the wire cuts times the height, over the
// cutting rate, each skim at its factor; a job's holes added up. Rapid moves cut nothing; a tapered move
// counts the mean of its lower and upper lengths. A pass's contour is its run of moves with compensation
// on, once round to where it began; its lead-in comes before it, its exit and return after.
struct CuttingTime {
  double contour = 0;
  double leadInAndExit = 0;
  double height = 0;             // the height used, mm: the first hole's in a job
  bool heightsDiffer = false;    // the holes of a job are cut at different heights
  std::vector<PassTime> passes;  // each pass of the reading, in its order
  double Total() const { return contour + leadInAndExit; }
};

// The lengths the wire cuts, in millimetres, on the lower contour or on the upper one, split as the
// cutting time is: the contour, and the lead-in and exit. Rapid moves cut nothing.
struct CutLengths {
  double contour = 0;
  double leadInAndExit = 0;
};
CutLengths CutLengthsOf(const ProgramReading& reading, bool upper);

// The height is the program's R word, else the profile's height (a round or rectangular hole); each
// hole of a job at its own. The lengths are the mean of CutLengthsOf on the two contours.
CuttingTime EstimateCuttingTime(const ProgramReading& reading, const MachineProfile& machine);

// "время резания ≈ 3.2 мин (оценка: контур 3.1 мин, подвод и отвод 0.1 мин, высота 10 мм)".
std::string CuttingTimeText(const CuttingTime& time);

// What `check` says of the passes, a line each, when a program has more than one pass or a held slug, or
// always when `always` (a profile was given): for a single hole each pass with its register and what
// makes it, its way, side, stop and time ("проход 2 из 3: D1 = 0.15 мм (проволока 0.125 + зазор 0.01 +
// припуск 0.015), по часовой стрелке, G42, ≈ 1.6 мин"; a die opening's relief pass, with the rough pass's
// register, as "освобождение: D0 = …"); for a job the registers of each pass count its holes have, and
// the time of each pass summed over its holes, the relief passes apart.
std::vector<std::string> PassTexts(const ProgramReading& reading, const MachineProfile& machine,
                                   const CuttingTime& time, bool always);
// Minutes as shown: one decimal below 10, whole minutes above; "< 0.1" for a moment.
std::string MinutesText(double minutes);

}  // namespace kalmoro
