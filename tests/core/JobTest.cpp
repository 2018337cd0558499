// Jobs of several holes: each hole keeps its own program's blocks, the reader checks every hole against
// its comment line and the moves between holes against the positions, and hand mistakes are named at
// their lines.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "RandomHoles.h"
#include "check/MachineCheck.h"
#include "check/ProgramReader.h"
#include "holes/Job.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The block without its number, for comparing blocks across renumbering.
std::string Body(const std::string& line) {
  EXPECT_TRUE(!line.empty() && line[0] == 'N') << line;
  std::size_t k = 1;
  while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) ++k;
  return line.substr(k);
}

int Number(const std::string& line) {
  return std::stoi(line.substr(1, line.size() - 1 - Body(line).size()));
}

std::string Problems(const ProgramReading& r) {
  std::string out;
  for (const Problem& p : r.problems) out += std::to_string(p.line) + ": " + p.text + "\n";
  return out;
}

struct RandomJob {
  std::vector<JobHole> holes;
  WireCodes codes;
  std::string text;
};

RandomJob MakeJob(std::mt19937& random, int count) {
  RandomJob job;
  std::uniform_real_distribution<double> place(-200, 200);
  for (int k = 0; k < count; ++k) {
    const Program p = RandomProgram(random, static_cast<int>(random() % 3));
    job.holes.push_back({p.text, LeadingValue(FormatNumber(place(random), 0, 3)),
                         LeadingValue(FormatNumber(place(random), 0, 3))});
  }
  const char* codes[] = {"M00", "M01", "M60", "M21", "M999"};
  job.codes = {codes[random() % 5], codes[random() % 5]};
  const GenResult made = GenJob(job.holes, job.codes);
  EXPECT_TRUE(made.Ok()) << made.error;
  job.text = made.program;
  return job;
}

TEST(Job, EachHoleKeepsItsOwnBlocksAndTheCheckPassesTheWholeJob) {
  std::mt19937 random(20261208);
  for (int n = 0; n < 40; ++n) {
    const RandomJob job = MakeJob(random, 1 + n % 6);
    const std::size_t count = job.holes.size();
    const Lines lines = Split(job.text);
    ASSERT_EQ(lines.front(), "%(JOB: " + std::to_string(count) + ")");
    std::size_t at = 1;
    int block = 0;
    const auto numbered = [&](const std::string& body) {
      ASSERT_LT(at, lines.size());
      EXPECT_EQ(Number(lines[at]), ++block) << "block numbers continue through the job";
      EXPECT_EQ(Body(lines[at]), body) << "line " << at + 1 << "\n" << job.text;
      ++at;
    };
    double travel = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const Lines own = Split(job.holes[k].program);
      const std::string header = own.front().substr(2, own.front().size() - 3);
      ASSERT_EQ(lines[at++], "(" + std::to_string(k + 1) + ": " + header + " @ X" + StdText(job.holes[k].x) +
                                 " Y" + StdText(job.holes[k].y) + ")");
      ASSERT_EQ(Body(own.back()), "M02");
      for (std::size_t l = 1; l + 1 < own.size(); ++l) numbered(Body(own[l]));
      if (k + 1 == count) break;
      EXPECT_EQ(lines[at++], "(ОБРЕЗАТЬ ПРОВОЛОКУ)");
      numbered(job.codes.cut);
      ASSERT_EQ(Body(lines[at]).substr(0, 3), "G00");
      ++block;
      ++at;
      EXPECT_EQ(lines[at++], "(ЗАПРАВИТЬ ПРОВОЛОКУ)");
      numbered(job.codes.thread);
      travel += std::hypot(job.holes[k + 1].x - job.holes[k].x, job.holes[k + 1].y - job.holes[k].y);
    }
    numbered("M02");
    EXPECT_EQ(at, lines.size());

    const ProgramReading r = ReadProgram(job.text);
    EXPECT_EQ(ProblemCount(r), 0u) << Problems(r) << job.text;
    ASSERT_TRUE(r.job);
    EXPECT_EQ(r.blocks, block);
    ASSERT_EQ(r.job->holes.size(), count);
    const MachineProfile machine;
    double minutes = 0;
    std::size_t notes = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const JobHoleReading& hole = r.job->holes[k];
      const ProgramReading single = ReadProgram(job.holes[k].program);
      ASSERT_TRUE(hole.encoded && single.encoded);
      EXPECT_EQ(hole.encoded->description, single.encoded->description);
      EXPECT_NEAR(hole.origin.x, job.holes[k].x, 0.0015);
      EXPECT_NEAR(hole.origin.y, job.holes[k].y, 0.0015);
      EXPECT_EQ(hole.moveCount, single.moves.size());
      minutes += EstimateCuttingTime(single, machine).Total();
      ProgramReading checked = single;
      CheckMachine(checked, machine);
      notes += checked.problems.size();
    }
    EXPECT_NEAR(EstimateCuttingTime(r, machine).Total(), minutes, 1e-9 * minutes)
        << "each hole cut at its own height, travel cuts nothing";
    ProgramReading checked = r;
    CheckMachine(checked, machine);
    EXPECT_EQ(checked.problems.size(), notes) << "the machine's notes of each hole, once each";
    EXPECT_EQ(r.job->stops.size(), 2 * (count - 1));
    EXPECT_EQ(r.job->Rethreads(), static_cast<int>(count - 1));
    EXPECT_NEAR(r.job->travel, travel, 0.002 * static_cast<double>(count));
  }
}

// A job of three holes and one hand mistake: the line where the reader must name it.
struct JobMistake {
  const char* name;
  // Edits the lines; returns the line (from 1) to be named.
  int (*edit)(Lines& lines);
};

int Find(const Lines& lines, const std::string& part, int nth = 1) {
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (lines[k].find(part) != std::string::npos && --nth == 0) return static_cast<int>(k) + 1;
  ADD_FAILURE() << "no line with " << part;
  return 1;
}

void AddToWord(std::string& line, char letter, double by) {
  const std::size_t from = line.find(letter, 1) + 1;
  std::size_t to = from;
  while (to < line.size() &&
         (std::isdigit(static_cast<unsigned char>(line[to])) || line[to] == '.' || line[to] == '-'))
    ++to;
  line = line.substr(0, from) + FormatNumber(LeadingValue(line.substr(from, to - from)) + by, 3, 3) +
         line.substr(to);
}

// Block numbers from N1 again after a block is dropped or added.
void Renumber(Lines& lines) {
  int n = 0;
  for (std::string& l : lines)
    if (!l.empty() && l[0] == 'N') l = "N" + std::to_string(++n) + Body(l);
}

const JobMistake kMistakes[] = {
    {"ContourPointOfTheSecondHoleMoved",
     [](Lines& l) {
       const int at = Find(l, "G03", 2);  // the second hole's first arc
       AddToWord(l[at - 1], 'X', 0.5);
       return at;
     }},
    {"RapidMoveToTheThirdHoleOff",
     [](Lines& l) {
       const int at = Find(l, "G00", 2);
       AddToWord(l[at - 1], 'Y', 1);
       return at;
     }},
    {"ThirdHolesPositionEditedInItsLine",
     [](Lines& l) {
       const int at = Find(l, "(3: ");
       l[at - 1].replace(l[at - 1].find(" Y"), 2, " Y1");
       return Find(l, "G00", 2);
     }},
    {"CutStopLeftOut",
     [](Lines& l) {
       l.erase(l.begin() + Find(l, "(ОБРЕЗАТЬ"));
       Renumber(l);
       return Find(l, "G00");
     }},
    {"ThreadStopLeftOut",
     [](Lines& l) {
       l.erase(l.begin() + Find(l, "(ЗАПРАВИТЬ"));
       Renumber(l);
       return Find(l, "(2: ");
     }},
    {"ProgramEndAfterTheFirstHole",
     [](Lines& l) {
       const int at = Find(l, "(ОБРЕЗАТЬ");
       l.insert(l.begin() + at - 1, "N1M02");
       Renumber(l);
       return at;
     }},
    {"HeaderCountsTheWrongNumberOfHoles",
     [](Lines& l) {
       l[0] = "%(JOB: 4)";
       return 1;
     }},
    {"SecondHolesCommentNamesAnotherDiameter",
     [](Lines& l) {
       const int at = Find(l, "(2: CIRCLE: D10");
       l[at - 1].replace(l[at - 1].find("D10"), 3, "D12");
       return at;
     }},
    {"BlockNumberSkippedInTheTravel",
     [](Lines& l) {
       const int at = Find(l, "G00");
       l[at - 1] = "N999" + Body(l[at - 1]);
       return at;
     }},
    {"LastHoleCutOffAfterItsLine",
     [](Lines& l) {
       const int at = Find(l, "(3: ");
       l.resize(static_cast<std::size_t>(at));
       return at;
     }},
    {"HolesOutOfOrder",
     [](Lines& l) {
       const int at = Find(l, "(2: ");
       l[at - 1].replace(1, 1, "5");
       return at;
     }},
};

class JobMistakes : public testing::TestWithParam<JobMistake> {};

TEST_P(JobMistakes, AreNamedAtTheirLine) {
  const std::vector<JobHole> holes{{GenCircle("8").program, 0, 0},
                                   {GenCircle("10").program, 40, -12.5},
                                   {GenCircle("6").program, -20.25, 30}};
  Lines lines = Split(GenJob(holes).program);
  const int at = GetParam().edit(lines);
  const ProgramReading r = ReadProgram(Join(lines));
  bool named = false;
  for (const Problem& p : r.problems) {
    named = named || (p.line == at && p.kind != ProblemKind::Note);
    EXPECT_LE(p.line, static_cast<int>(lines.size())) << "every problem at a line of the text: " << p.text;
  }
  EXPECT_TRUE(named) << "expected at line " << at << ", found:\n" << Problems(r) << Join(lines);
}

INSTANTIATE_TEST_SUITE_P(Edits, JobMistakes, testing::ValuesIn(kMistakes),
                         [](const testing::TestParamInfo<JobMistake>& info) {
                           return std::string(info.param.name);
                         });

TEST(Job, RefusesWhatNoProgramCanCarry) {
  const std::string circle = GenCircle("10").program;  // 13 blocks, 12 of them kept in a job
  // n circles need 12n blocks, 3 between each two, and M02: 15n − 2.
  EXPECT_TRUE(GenJob(std::vector<JobHole>(2184, {circle, 1, 2})).Ok());
  EXPECT_EQ(GenJob(std::vector<JobHole>(2185, {circle, 1, 2})).error, kMsgJobTooLarge);
  EXPECT_EQ(GenJob({}).error, kMsgJobEmpty);
  EXPECT_EQ(GenJob(std::vector<JobHole>{{circle, 0, 0}}, {"M02", "M00"}).error, kMsgJobCodes);
  EXPECT_EQ(GenJob(std::vector<JobHole>{{circle, 0, 0}}, {"M00", "M 1"}).error, kMsgJobCodes);
  EXPECT_EQ(GenJob(std::vector<JobHole>{{circle, 1e5, 0}}).error, kMsgJobPosition);
  EXPECT_EQ(GenJob(std::vector<JobHole>{{circle, 0, NAN}}).error, kMsgJobPosition);
}

TEST(Job, RapidMovesDoNotAddUpTheirRounding) {
  // Thirds of a millimetre: each move rounds, the wire must still reach the last centre.
  std::vector<JobHole> holes;
  holes.reserve(200);
  for (int k = 0; k < 200; ++k) holes.push_back({GenCircle("2").program, k / 3.0, -k / 3.0});
  const ProgramReading r = ReadProgram(GenJob(holes).program);
  ASSERT_TRUE(r.job);
  EXPECT_EQ(ProblemCount(r), 0u) << Problems(r);
  EXPECT_NEAR(r.job->holes.back().origin.x, 199 / 3.0, 0.0005 + 1e-9);
  EXPECT_NEAR(r.job->holes.back().origin.y, -199 / 3.0, 0.0005 + 1e-9);
}

}  // namespace
}  // namespace kalmoro
