#pragma once

// kalmoro-gen's exit status: 0 done, 1 input refused or file not written, 2 usage error or a file that
// cannot be read.
namespace kalmoro {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

}  // namespace kalmoro
