#pragma once
// Documents that other tools, damaged disks or attackers could hand us, written
// straight as archive bytes (the model itself refuses to build some of them):
// for the tests of hostile input, the fuzzers' seeds and the benchmarks. Each
// is small to describe and grows only with the count asked for.

#include <cstdint>
#include <string>

namespace hostile {

// A root part holding a chain of depth groups around one short path; version
// 5, or the version 3 layout.
std::string NestedGroups(int depth, int version = 5);
// objects short paths, each on its own layer that the layer list lacks.
std::string UnknownLayers(int objects);
// One open path of about points points zigzagging at random across a 50 mm
// square, so that it crosses itself everywhere.
std::string LongSelfOverlappingPath(int points, std::uint32_t seed = 1);
// The letter W placed with a scale of scale (document units per font unit).
std::string HugeText(float scale);
// A filled ellipse of radius radius (document units) with a 0.3 mm pen.
std::string HugeEllipse(float radius);
// A 10 mm open track of the given pen width (inf, 1e30, ...).
std::string WideStroke(float width);
// An empty design area of the given size in document units.
std::string HugeArea(double width, double height);
// Paths without a single point, open and closed, beside a short track; version
// 5, or the version 3 layout.
std::string EmptyPaths(int version = 5);

}  // namespace hostile
