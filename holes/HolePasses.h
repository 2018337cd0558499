#pragma once

#include <optional>
#include <string>

#include "nc/PassOptions.h"

// The refusals of a hole's pass options, the same for the three holes. A stop that the contour cannot
// hold is refused by the generator with kMsgStopTooLong, naming the contour's length.
namespace kalmoro {

inline constexpr const char* kMsgSkims = "Число чистовых проходов должно быть от 0 до 4.";
// A stop shorter than this is no stop a slug can be held at; the rest of the contour after it must be
// a block of its own.
inline constexpr double kMinStop = 0.01;
inline constexpr const char* kMsgStopShort =
    "Остановка для закрепления вырубки: длина не меньше 0.01 мм, или 0 — без остановки.";
inline constexpr const char* kMsgHoldCode =
    "Код остановки для закрепления вырубки должен быть одним словом M с номером до 999, но не концом "
    "программы.";
inline constexpr const char* kMsgPassBlocks =
    "Программа превысила бы 32767 кадров: уменьшите число проходов или размер отверстия.";

// "Остановка для закрепления вырубки (40 мм) должна быть короче контура: его длина 31.416 мм."
std::string StopTooLongText(double stop, double contourLength);

// The message of the first option a program cannot be made with, or nothing: the skims out of 0-4, a
// stop that is not 0 and below kMinStop or not finite, and when there is a stop, a hold code that is not
// one M word (IsWireCode).
std::optional<std::string> PassOptionsError(const PassOptions& options, std::string_view holdCode);

}  // namespace kalmoro
