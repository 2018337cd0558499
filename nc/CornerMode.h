#pragma once

// How the corners of a tapered rectangular hole run from the bottom to the top: keeping their radius,
// their centres moving in with the sides (cylindrical corners), or about fixed centres, their radius
// changing with the taper (conical corners).
namespace kalmoro {

enum class CornerMode { Cylindrical, Conical };

}  // namespace kalmoro
