#pragma once

#include <string>

namespace kalmoro {

// What a generator gives back: the whole program text, or the message of its refusal (UTF-8). A
// refusal leaves the writer's buffer as it was.
struct GenResult {
  std::string program;
  std::string error;

  bool Ok() const { return error.empty(); }
  static GenResult Program(std::string text) { return {std::move(text), {}}; }
  static GenResult Refusal(std::string message) { return {{}, std::move(message)}; }
};

}  // namespace kalmoro
