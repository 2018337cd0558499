#pragma once

#include <span>
#include <string>
#include <string_view>

#include "holes/GenResult.h"
#include "nc/HoleHeader.h"
#include "nc/JobProgram.h"

namespace kalmoro {

inline constexpr const char* kMsgJobEmpty = "В задании нет отверстий.";
inline constexpr const char* kMsgJobTooLarge =
    "Задание слишком большое: программа превысила бы 32767 кадров. Разделите его на несколько.";
inline constexpr const char* kMsgJobCodes =
    "Коды обрезки и заправки проволоки должны быть одним словом M с номером до 999, но не концом программы.";

inline constexpr double kMaxJobPosition = 99999.999;
inline constexpr const char* kMsgJobPosition = "Координаты отверстия должны быть в пределах ±99999.999 мм.";

// One hole of a job: its own program, as its generator wrote it, and where its centre stands.
struct JobHole {
  std::string program;
  double x = 0, y = 0;
};

// The program a hole's header stands for, from the generator of its kind, with the passes the header
// states and the slug held at holdCode: what a job's comment line or an opened program's header brings
// back. The cone is generated from its two diameters and height with the header's angle, whose sign
// says which diameter is the larger; a relief against the generator's own 30°.
GenResult GenFromHeader(const HoleHeader& header, std::string_view holdCode = kDefaultStopCode);

// The job's program: the holes in their order, each hole's own blocks renumbered, the wire cut and
// threaded between them at the given codes; with roughFirst, every hole's rough pass first and then the
// skims of each hole in turn (WriteJob). Refuses an empty job, codes that are not stop words and a job
// of more than 32767 blocks, and positions beyond kMaxJobPosition.
GenResult GenJob(std::span<const JobHole> holes, const WireCodes& codes = {}, bool roughFirst = false);

}  // namespace kalmoro
