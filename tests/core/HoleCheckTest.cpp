// The hole check under mutation: generated programs of all three holes, each given many random single
// mistakes of the kinds a hand edit makes. Every mistake that moves the wire's path by more than
// 0.01 mm must be flagged, nearly always at the line at fault; harmless edits never.

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "RandomHoles.h"
#include "check/ProgramReader.h"
#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// Block numbers from N1 again, as an editor that renumbers leaves them.
void Renumber(Lines& lines) {
  int n = 0;
  for (std::string& l : lines) {
    if (l.empty() || l[0] != 'N') continue;
    std::size_t digits = 1;
    while (digits < l.size() && std::isdigit(static_cast<unsigned char>(l[digits]))) ++digits;
    l = "N" + std::to_string(++n) + l.substr(digits);
  }
}

// The span of the number of word `letter` in a line, or nothing.
bool FindWord(const std::string& line, char letter, std::size_t& from, std::size_t& to) {
  const std::size_t at = line.find(letter, 1);
  if (at == std::string::npos) return false;
  from = at + 1;
  to = from;
  while (to < line.size() &&
         (std::isdigit(static_cast<unsigned char>(line[to])) || line[to] == '.' || line[to] == '-'))
    ++to;
  return true;
}

std::string Shifted(const std::string& line, char letter, double delta) {
  std::size_t from = 0, to = 0;
  if (!FindWord(line, letter, from, to)) return line;
  const double value = LeadingValue(line.substr(from, to - from));
  return line.substr(0, from) + FormatNumber(value + delta, 3, 3) + line.substr(to);
}

// The distance from a point to the path of a move, on the lower or the upper contour.
double DistanceToMove(const Move& m, Point p, bool upper) {
  if (m.kind == Move::Kind::Arc && !upper) {
    const double from = std::atan2(m.y0 - m.j, m.x0 - m.i);
    const double sweep = ArcSweep(m);
    double along = std::atan2(p.y - m.j, p.x - m.i) - from;
    if (sweep > 0)
      while (along < 0) along += 2 * std::numbers::pi;
    else
      while (along > 0) along -= 2 * std::numbers::pi;
    if (along / sweep <= 1)
      return std::fabs(std::hypot(p.x - m.i, p.y - m.j) - std::hypot(m.x0 - m.i, m.y0 - m.j));
    return std::min(std::hypot(p.x - m.x0, p.y - m.y0), std::hypot(p.x - m.x, p.y - m.y));
  }
  const Point a = PointAt(m, 0, upper), b = PointAt(m, 1, upper);
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// How far one path strays from another: the largest distance of a point of `a` from the path of `b`.
double Strays(const std::vector<Move>& a, const std::vector<Move>& b, bool upper) {
  std::vector<Box> boxes;
  boxes.reserve(b.size());
  for (std::size_t k = 0; k < b.size(); ++k) boxes.push_back(BoundsOf(std::span(b).subspan(k, 1), upper));
  const auto outsideSquared = [](const Box& box, Point p) {
    const double dx = std::max({box.minX - p.x, p.x - box.maxX, 0.0});
    const double dy = std::max({box.minY - p.y, p.y - box.maxY, 0.0});
    return dx * dx + dy * dy;
  };
  double worst = 0;
  std::size_t hint = 0;  // the move nearest the last point: nearest the next one too, mostly
  for (const Move& m : a) {
    const int samples = std::clamp(static_cast<int>(PathLength(m, upper) / 0.08), 1, 200);
    for (int s = 0; s <= samples; ++s) {
      const Point p = PointAt(m, static_cast<double>(s) / samples, upper);
      double nearest = DistanceToMove(b[hint], p, upper);
      for (std::size_t k = 0; k < b.size(); ++k) {
        if (k == hint || outsideSquared(boxes[k], p) >= nearest * nearest) continue;
        const double d = DistanceToMove(b[k], p, upper);
        if (d < nearest) {
          nearest = d;
          hint = k;
        }
      }
      worst = std::max(worst, nearest);
    }
  }
  return worst;
}

double PathChange(const ProgramReading& a, const ProgramReading& b) {
  double change = std::max(Strays(a.moves, b.moves, false), Strays(b.moves, a.moves, false));
  if (a.tapered || b.tapered)
    change = std::max({change, Strays(a.moves, b.moves, true), Strays(b.moves, a.moves, true)});
  return change;
}

std::string Listing(const ProgramReading& r) {
  std::string text;
  for (const Problem& p : r.problems) text += "\n  line " + std::to_string(p.line) + ": " + p.text;
  return text.empty() ? " none" : text;
}

// A mistake: the edited lines and the lines (from 1) where it may be named.
struct Mutation {
  std::string name;
  Lines lines;
  std::vector<int> at;
  bool alwaysChangesCut = false;  // it changes the cut though the path in X, Y, U, V stays
};

std::vector<int> MotionLines(const Lines& lines, const char* words) {
  std::vector<int> found;
  for (int k = 1; k < static_cast<int>(lines.size()); ++k) {
    const std::string& l = lines[static_cast<std::size_t>(k)];
    if (l.find("G92") != std::string::npos) continue;
    if (l.find_first_of(words, 1) != std::string::npos) found.push_back(k);
  }
  return found;
}

// Where a block's register word " Dk" stands, or npos.
std::size_t RegisterWord(const std::string& line) {
  const std::size_t d = line.find(" D");
  return !line.empty() && line[0] == 'N' && d != std::string::npos ? d : std::string::npos;
}

// The arc code in force at a line: the last G02 or G03 written up to it.
std::string ArcCodeAt(const Lines& lines, int line) {
  for (int k = line; k >= 0; --k) {
    const std::string& l = lines[static_cast<std::size_t>(k)];
    for (const char* code : {"G02", "G03"})
      if (l.find(code) != std::string::npos) return code;
  }
  return "G03";
}

std::vector<Mutation> Mutations(const Program& p, std::mt19937& random) {
  const Lines base = Split(p.text);
  std::vector<Mutation> out;
  const auto pick = [&](const std::vector<int>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const auto delta = [&] {
    const double size = std::uniform_real_distribution<double>(0.02, 5)(random);
    return random() % 2 ? size : -size;
  };
  for (int n = 0; n < 4; ++n) {
    // A coordinate, taper or centre word off.
    for (const char* letters : {"XY", "UV", "IJ"}) {
      const std::vector<int> candidates = MotionLines(base, letters);
      if (candidates.empty()) continue;
      const int line = pick(candidates);
      Lines edited = base;
      const std::string& l = base[static_cast<std::size_t>(line)];
      char letter = letters[random() % 2];
      if (l.find(letter, 1) == std::string::npos) letter = letters[0] == letter ? letters[1] : letters[0];
      edited[static_cast<std::size_t>(line)] = Shifted(l, letter, delta());
      out.push_back({std::string("word ") + letter, edited, {line + 1}});
    }
    // A dropped block.
    const int dropped = 1 + static_cast<int>(random() % (base.size() - 1));
    Lines edited = base;
    edited.erase(edited.begin() + dropped);
    Renumber(edited);
    // Named where it stood: at the block before, the one that took its place, or the first move it spoils.
    std::vector<int> at = {dropped};
    for (int k = dropped; k < static_cast<int>(edited.size()); ++k) {
      at.push_back(k + 1);
      if (edited[static_cast<std::size_t>(k)].find_first_of("XY", 1) != std::string::npos) break;
    }
    out.push_back({"dropped block", edited, at});
  }
  // An arc turned the other way: G02 in a counter-clockwise pass, G03 in a clockwise one.
  const std::vector<int> arcs = MotionLines(base, "I");
  if (!arcs.empty()) {
    const int line = pick(arcs);
    const std::string way = ArcCodeAt(base, line);
    const std::string other = way == "G03" ? "G02" : "G03";
    Lines edited = base;
    std::string& l = edited[static_cast<std::size_t>(line)];
    const std::size_t g = l.find(way);
    if (g != std::string::npos)
      l.replace(g, 3, other);
    else
      l.insert(l.find('X'), other);
    if (static_cast<std::size_t>(line) + 1 < edited.size()) {
      std::string& next = edited[static_cast<std::size_t>(line) + 1];
      if (next.find('I') != std::string::npos && next.find("G0") == std::string::npos)
        next.insert(next.find('X'), way);
    }
    out.push_back({"arc turned the other way", edited, {line + 1}, true});
  }
  // Compensation on the other side, no D word, a wrong height, no return to the start.
  for (std::size_t k = 0; k < base.size(); ++k) {
    Lines edited = base;
    std::string& l = edited[k];
    const std::size_t g = l.find("G4");
    if (g != std::string::npos && (l[g + 2] == '1' || l[g + 2] == '2')) {
      l[g + 2] = l[g + 2] == '1' ? '2' : '1';
      out.push_back({"compensation on the other side", edited, {static_cast<int>(k) + 1}, true});
    } else if (const std::size_t d = RegisterWord(l); d != std::string::npos) {
      l.erase(d, 3);
      out.push_back({"no D word", edited, {static_cast<int>(k) + 1}, true});
    } else if (l.find("G92") != std::string::npos && l.find('R') != std::string::npos) {
      l = Shifted(l, 'R', delta());
      out.push_back({"wrong height", edited, {static_cast<int>(k) + 1}, true});
    } else if (k + 2 == base.size()) {
      edited.erase(edited.begin() + static_cast<std::ptrdiff_t>(k));
      Renumber(edited);
      out.push_back({"no return", edited, {static_cast<int>(k), static_cast<int>(k) + 1}});
    }
  }
  return out;
}

// The mistakes of a skimmed hole besides those of any hole: a register off by one, a skim left out, a
// stop in a skim, a move between the held slug's stop and the rest of the contour.
std::vector<Mutation> PassMutations(const Program& p, std::mt19937& random) {
  const Lines base = Split(p.text);
  std::vector<Mutation> out;
  std::vector<std::size_t> passes;            // the lines of the pass comments
  std::size_t end = 0, hold = 0, relief = 0;  // the M02 line, the held slug's and the relief's comment
  for (std::size_t k = 0; k < base.size(); ++k) {
    if (base[k].starts_with("(ПРОХОД")) passes.push_back(k);
    if (base[k].starts_with("(ЗАКРЕПИТЬ")) hold = k;
    if (base[k].starts_with("(ОСВОБОЖДЕНИЕ")) relief = k;
    if (base[k].find("M02") != std::string::npos) end = k;
  }
  const auto registerAfter = [](const Lines& lines, std::size_t from) {
    while (from < lines.size() && RegisterWord(lines[from]) == std::string::npos) ++from;
    return from;
  };
  for (std::size_t k = 0; k < base.size(); ++k) {
    const std::size_t d = RegisterWord(base[k]);
    if (d == std::string::npos) continue;
    Lines edited = base;
    char& digit = edited[k][d + 2];
    digit = digit == '4' ? '3' : static_cast<char>(digit + 1);
    out.push_back({"register off by one", edited, {static_cast<int>(k) + 1}, true});
  }
  // A skim left out: named where the next pass's register shows it missing, or at the end.
  const std::size_t skim = 1 + random() % (passes.size() - 1);
  const std::size_t from = passes[skim];
  const std::size_t to = skim + 1 < passes.size() ? passes[skim + 1] : relief != 0 ? relief : end;
  Lines edited = base;
  edited.erase(edited.begin() + static_cast<std::ptrdiff_t>(from),
               edited.begin() + static_cast<std::ptrdiff_t>(to));
  Renumber(edited);
  std::vector<int> at = {static_cast<int>(end - (to - from)) + 1};
  for (std::size_t k = from; k <= registerAfter(edited, from) && k < edited.size(); ++k)
    at.push_back(static_cast<int>(k) + 1);
  out.push_back({"skim left out", edited, at, true});
  // A stop after the first move of a skim's contour.
  edited = base;
  const std::size_t first = registerAfter(base, passes[skim]);
  edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(first) + 1, "N0M00");
  Renumber(edited);
  out.push_back({"stop in a skim", edited, {static_cast<int>(first) + 2}, true});
  if (hold != 0) {
    edited = base;
    edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(hold) + 2, "N0X0.000Y0.000");
    Renumber(edited);
    out.push_back({"move after the stop", edited, {static_cast<int>(hold) + 3}});
  }
  if (relief != 0) {
    // The relief pass left out: named at the end of the hole.
    edited = base;
    edited.erase(edited.begin() + static_cast<std::ptrdiff_t>(relief),
                 edited.begin() + static_cast<std::ptrdiff_t>(end));
    Renumber(edited);
    out.push_back({"relief left out", edited, {static_cast<int>(relief) + 1}, true});
  }
  return out;
}

// What the mutations of many programs gave.
struct Tally {
  int flagged = 0, atLine = 0, skipped = 0;
  std::string misses;  // a few of the mistakes named elsewhere, for the failure message
};

// Every mistake that moves the cut by more than 0.01 mm, or always changes it, must be flagged.
void ReadMutations(const Program& program, const std::vector<Mutation>& mutations, Tally& tally) {
  const ProgramReading original = ReadProgram(program.text);
  ASSERT_TRUE(original.problems.empty()) << program.text << Listing(original);
  for (const Mutation& m : mutations) {
    const ProgramReading r = ReadProgram(Join(m.lines));
    if (!m.alwaysChangesCut && PathChange(original, r) <= 0.01) {
      ++tally.skipped;
      continue;
    }
    const std::string label = program.kind + ", " + m.name + "\n" + Join(m.lines);
    ASSERT_FALSE(r.problems.empty()) << "a mistake that moves the cut must be flagged: " << label;
    ++tally.flagged;
    const bool there = std::any_of(r.problems.begin(), r.problems.end(), [&](const Problem& p) {
      return std::find(m.at.begin(), m.at.end(), p.line) != m.at.end();
    });
    if (there)
      ++tally.atLine;
    else if (tally.misses.size() < 3000)
      tally.misses += "\n" + label + Listing(r);
  }
}

TEST(HoleCheck, EveryMistakeThatMovesTheCutIsFlaggedAtItsLine) {
  std::mt19937 random(20261208);
  Tally tally;
  for (int n = 0; n < 48; ++n) {
    const Program program = RandomProgram(random, n % 3);
    ReadMutations(program, Mutations(program, random), tally);
    if (HasFatalFailure()) return;
  }
  std::printf(
      "mistakes that move the cut: %d, all flagged, %d named at their line; %d left the cut as it was\n",
      tally.flagged, tally.atLine, tally.skipped);
  EXPECT_GT(tally.flagged, 600) << "enough mistakes tried (" << tally.skipped << " left the cut as it was)";
  EXPECT_GE(tally.atLine * 100, tally.flagged * 95)
      << tally.atLine << " of " << tally.flagged << " named at their line; for example:" << tally.misses;
}

// The same in holes with skims and a held slug, in every pass, and the mistakes only passes can have.
TEST(HoleCheck, EveryMistakeInAnyPassIsFlaggedAtItsLine) {
  std::mt19937 random(20270127);
  Tally tally;
  for (int n = 0; n < 21; ++n) {
    const PassOptions passes = RandomPasses(random);
    const Program program = RandomProgram(random, n % 3, passes);
    std::vector<Mutation> mutations = Mutations(program, random);
    for (Mutation& m : PassMutations(program, random)) mutations.push_back(std::move(m));
    ReadMutations(program, mutations, tally);
    if (HasFatalFailure()) return;
  }
  std::printf(
      "mistakes in holes with passes: %d, all flagged, %d named at their line; %d left the cut as it was\n",
      tally.flagged, tally.atLine, tally.skipped);
  EXPECT_GT(tally.flagged, 450) << "enough mistakes tried (" << tally.skipped << " left the cut as it was)";
  EXPECT_GE(tally.atLine * 100, tally.flagged * 95)
      << tally.atLine << " of " << tally.flagged << " named at their line; for example:" << tally.misses;
}

// The same in tapered rectangles of both corner modes and in die openings with a relief pass, with one
// pass and with skims and a held slug: a U or V word moved along a straight side is named at its line.
TEST(HoleCheck, EveryMistakeInTaperedRectanglesAndReliefsIsFlaggedAtItsLine) {
  std::mt19937 random(20280312);
  Tally tally;
  for (int n = 0; n < 32; ++n) {
    const PassOptions passes = n % 2 ? RandomPasses(random) : PassOptions{};
    const Program program = RandomProgram(random, 3 + n % 4, passes);
    std::vector<Mutation> mutations = Mutations(program, random);
    if (passes.skims > 0)
      for (Mutation& m : PassMutations(program, random)) mutations.push_back(std::move(m));
    ReadMutations(program, mutations, tally);
    if (HasFatalFailure()) return;
  }
  std::printf(
      "mistakes in tapered rectangles and reliefs: %d, all flagged, %d named at their line; %d left the cut "
      "as it was\n",
      tally.flagged, tally.atLine, tally.skipped);
  EXPECT_GT(tally.flagged, 500) << "enough mistakes tried (" << tally.skipped << " left the cut as it was)";
  EXPECT_GE(tally.atLine * 100, tally.flagged * 95)
      << tally.atLine << " of " << tally.flagged << " named at their line; for example:" << tally.misses;
}

// Edits that leave the cut as it is: none may be flagged.
TEST(HoleCheck, HarmlessEditsAreNeverFlagged) {
  std::mt19937 random(7);
  const std::vector<std::pair<std::string, std::function<Lines(Lines, bool)>>> edits = {
      {"lower case",
       [](Lines l, bool) {
         for (std::string& s : l)
           for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
         return l;
       }},
      {"blanks between words",
       [](Lines l, bool) {
         for (std::size_t k = 1; k < l.size(); ++k) {
           std::string spaced;
           for (char c : l[k])
             spaced += std::isalpha(static_cast<unsigned char>(c)) ? std::string(" ") + c : std::string(1, c);
           l[k] = spaced;
         }
         return l;
       }},
      {"comments",
       [](Lines l, bool) {
         for (std::size_t k = 1; k < l.size(); k += 2) l[k] += " (проверено)";
         return l;
       }},
      {"short codes",
       [](Lines l, bool) {
         for (std::string& s : l)
           for (const char* code : {"G01", "G03"})
             if (const std::size_t at = s.find(code); at != std::string::npos)
               s.replace(at, 3, std::string("G") + code[2]);
         return l;
       }},
      {"a straight move split in two",
       [](Lines l, bool) {
         // The exit line: the last move with a Y word before G40.
         std::size_t k = 0;
         while (k < l.size() && l[k].find("G40") == std::string::npos) ++k;
         std::size_t from = 0, to = 0;
         const std::string& last = l[k - 1];
         const std::string& before = l[k - 2];
         if (!FindWord(last, 'Y', from, to)) return l;
         const double y1 = LeadingValue(last.substr(from, to - from));
         FindWord(before, 'Y', from, to);
         const double y0 = LeadingValue(before.substr(from, to - from));
         std::string middle = Shifted(last, 'Y', (y0 - y1) / 2);
         if (FindWord(last, 'V', from, to)) {
           const double v1 = LeadingValue(last.substr(from, to - from));
           FindWord(before, 'V', from, to);
           middle = Shifted(middle, 'V', (LeadingValue(before.substr(from, to - from)) - v1) / 2);
         }
         l.insert(l.begin() + static_cast<std::ptrdiff_t>(k - 1), middle);
         Renumber(l);
         return l;
       }},
      {"quarter arc merged into the next",
       [](Lines l, bool circle) {
         if (!circle) return l;
         for (std::size_t k = 0; k < l.size(); ++k) {
           if (l[k].find("I0.000J0.000") != std::string::npos && l[k].find("D0") == std::string::npos) {
             l.erase(l.begin() + static_cast<std::ptrdiff_t>(k));
             break;
           }
         }
         Renumber(l);
         return l;
       }},
  };
  // Holes with skims and a held slug after those of one pass; tapered rectangles and die openings last.
  for (int n = 0; n < 59; ++n) {
    const int kind = n < 45 ? n % 3 : 3 + n % 4;
    const Program program =
        n < 30 ? RandomProgram(random, kind) : RandomProgram(random, kind, RandomPasses(random));
    for (const auto& [name, edit] : edits) {
      const std::string text = Join(edit(Split(program.text), program.kind == "circle"));
      const ProgramReading r = ReadProgram(text);
      EXPECT_TRUE(r.problems.empty()) << program.kind << ", " << name << ":\n" << text << Listing(r);
    }
  }
}

}  // namespace
}  // namespace kalmoro
