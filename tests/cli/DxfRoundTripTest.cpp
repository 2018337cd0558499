// kalmoro-gen export --dxf, read back by Debian's ezdxf: every move of the reader is one entity of its
// layer (the contour, the way in and out, the travel between holes), in order, with the same points,
// centre, radius and sweep, in a drawing in millimetres.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "check/ProgramReader.h"
#include "load/ProgramLoad.h"

namespace kalmoro {
namespace {

namespace fs = std::filesystem;

struct Entity {
  std::string type, layer;
  std::vector<double> values;
};

// Standard output of a shell command, and its exit status.
std::string Output(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  status = ::pclose(pipe);
  return out;
}

double Number(const std::string& word) {
  double value = NAN;
  std::from_chars(word.data(), word.data() + word.size(), value);
  return value;
}

// The entities; the VERSION, UNITS and LAYERS lines go into header.
std::vector<Entity> Entities(const std::string& listing, std::map<std::string, std::string>& header) {
  std::vector<Entity> entities;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    Entity e;
    words >> e.type;
    if (e.type == "VERSION" || e.type == "UNITS" || e.type == "LAYERS") {
      std::getline(words >> std::ws, header[e.type]);
      continue;
    }
    words >> e.layer;
    for (std::string word; words >> word;) e.values.push_back(Number(word));
    entities.push_back(e);
  }
  return entities;
}

double Degrees(double radians) {
  return radians * 180.0 / std::numbers::pi;
}

// The angle a - b in degrees, brought into (-180, 180].
double AngleDiff(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d <= -180.0) d += 360.0;
  if (d > 180.0) d -= 360.0;
  return d;
}

// The layer of each move as a generated program has it: rapid moves are the travel between holes; of a
// run with compensation on, the moves up to its first return to where it began are the contour (a
// generated program goes round once), the rest of it and every other move are the way in and out.
std::vector<std::string> Layers(const std::vector<Move>& moves) {
  std::vector<std::string> layers(moves.size(), "LEADS");
  for (std::size_t k = 0; k < moves.size(); ++k) {
    if (moves[k].rapid) layers[k] = "TRAVEL";
    if (!moves[k].compensated || (k > 0 && moves[k - 1].compensated)) continue;
    for (std::size_t m = k; m < moves.size() && moves[m].compensated; ++m) {
      layers[m] = "LOWER";
      if (std::hypot(moves[m].x - moves[k].x0, moves[m].y - moves[k].y0) < 1e-6) break;
    }
  }
  return layers;
}

void ExpectMatches(const Entity& e, const Move& m, bool upper, const std::string& layer) {
  constexpr double kTol = 1e-9;
  SCOPED_TRACE("program line " + std::to_string(m.line));
  EXPECT_EQ(e.layer, layer);
  const Point start = PointAt(m, 0.0, upper);
  const Point end = PointAt(m, 1.0, upper);
  if (m.kind == Move::Kind::Line) {
    ASSERT_EQ(e.type, "LINE");
    ASSERT_EQ(e.values.size(), 4U);
    EXPECT_NEAR(e.values[0], start.x, kTol);
    EXPECT_NEAR(e.values[1], start.y, kTol);
    EXPECT_NEAR(e.values[2], end.x, kTol);
    EXPECT_NEAR(e.values[3], end.y, kTol);
    return;
  }
  ASSERT_EQ(e.type, "ARC");
  ASSERT_EQ(e.values.size(), 5U);
  const double du = upper ? m.u : 0.0, dv = upper ? m.v : 0.0;
  EXPECT_NEAR(e.values[0], m.i + du, kTol);
  EXPECT_NEAR(e.values[1], m.j + dv, kTol);
  EXPECT_NEAR(e.values[2], std::hypot(m.x0 - m.i, m.y0 - m.j), kTol);
  EXPECT_NEAR(AngleDiff(e.values[3], Degrees(std::atan2(m.y0 - m.j, m.x0 - m.i))), 0.0, 1e-7);
  const double sweep = Degrees(ArcSweep(m));
  double drawn = std::fmod(e.values[4] - e.values[3], 360.0);
  if (drawn <= 1e-7) drawn += 360.0;
  EXPECT_NEAR(drawn, sweep, 1e-7);
}

struct HoleCase {
  const char* name;
  const char* args;  // a hole's command, or "job" with the job file below
  bool tapered;
  const char* job = "";
};

class DxfRoundTripTest : public testing::TestWithParam<HoleCase> {};

TEST_P(DxfRoundTripTest, EveryMoveIsOneEntityOfItsLayer) {
  // The process id keeps two test runs at once (two build folders) out of each other's files.
  const fs::path dir = fs::temp_directory_path() /
                       ("kalmoro-dxf-" + std::string(GetParam().name) + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string program = (dir / "part.iso").string();
  const std::string drawing = (dir / "part.dxf").string();
  std::ofstream(dir / "job.txt") << GetParam().job;
  int status = 0;
  Output("cd '" + dir.string() + "' && " + KALMORO_GEN_PATH + " " + GetParam().args + " -o '" + program + "'",
         status);
  ASSERT_EQ(status, 0);
  const std::string err = (dir / "err").string();
  Output(
      std::string(KALMORO_GEN_PATH) + " export --dxf '" + program + "' -o '" + drawing + "' 2>'" + err + "'",
      status);
  ASSERT_EQ(status, 0) << std::ifstream(err).rdbuf();

  const std::string listing = Output("/usr/bin/python3 '" KALMORO_DXF_ENTITIES "' '" + drawing + "'", status);
  ASSERT_EQ(status, 0) << "ezdxf (Debian package python3-ezdxf) must read the drawing; "
                          "scripts/install-deps.sh test installs it";
  std::map<std::string, std::string> header;
  const std::vector<Entity> entities = Entities(listing, header);
  EXPECT_EQ(header["VERSION"], "AC1009");  // R12
  EXPECT_EQ(header["UNITS"], "4") << "the drawing is in millimetres";

  const LoadResult loaded = LoadProgramFile(program);
  ASSERT_TRUE(loaded.loaded) << loaded.message;
  const ProgramReading reading = ReadProgram(loaded.text);
  ASSERT_EQ(reading.tapered, GetParam().tapered);
  const std::vector<std::string> layers = Layers(reading.moves);
  // The lower plane in the order of the moves, then the upper contour where it carries a taper.
  std::vector<std::pair<std::size_t, bool>> expected;
  for (std::size_t k = 0; k < reading.moves.size(); ++k) expected.emplace_back(k, false);
  for (std::size_t k = 0; k < reading.moves.size(); ++k) {
    const Move& m = reading.moves[k];
    if (layers[k] == "LOWER" && (m.u0 != 0 || m.v0 != 0 || m.u != 0 || m.v != 0))
      expected.emplace_back(k, true);
  }
  EXPECT_EQ(header["LAYERS"].find("UPPER") != std::string::npos, GetParam().tapered) << header["LAYERS"];
  ASSERT_EQ(entities.size(), expected.size());
  for (std::size_t n = 0; n < expected.size(); ++n) {
    const auto [k, upper] = expected[n];
    ExpectMatches(entities[n], reading.moves[k], upper, upper ? "UPPER" : layers[k]);
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Holes, DxfRoundTripTest,
    testing::Values(HoleCase{"Round", "circle --diameter 10", false},
                    HoleCase{"Rectangle", "rect --width 20 --height 10 --radius 2", false},
                    HoleCase{"SharpRectangle", "rect --width 20 --height 10 --radius 0", false},
                    HoleCase{"ConeNarrowing", "cone --height 2 --lower 1 --upper 0.8", true},
                    HoleCase{"ConeWidening", "cone --height 20 --lower 10 --upper 20", true},
                    // The circle's contour is not repeated on UPPER, the move between the holes is travel.
                    HoleCase{"JobOfACircleAndACone", "job job.txt", true,
                             "circle @ 0 0\ncone --height 2 --lower 1 --upper 0.8 @ 30 -10\n"}),
    [](const testing::TestParamInfo<HoleCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalmoro
