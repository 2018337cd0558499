#pragma once

// One pass of a program as the preview draws it: which pass of its hole it is, the register it is cut
// with and how far that register puts the wire's centre from the programmed contour.
namespace kalmoro {

struct ScenePass {
  int number = 1;  // 1 for the rough pass
  int count = 1;   // the vertical passes of its hole
  bool relief = false;
  int offsetRegister = 0;  // k of its Dk: number − 1, a relief pass the last vertical pass's
  double offset = 0;       // the register's value from the machine profile, mm; 0 without a profile
  bool rightSide = false;  // G42: the wire's centre runs right of the contour
  int hole = -1;           // its hole in a job, -1 in a single program
};

}  // namespace kalmoro
