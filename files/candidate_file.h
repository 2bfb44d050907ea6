#pragma once
// A list of subwoofer candidate positions: a text file of lines "x y z" (metres, blanks or
// tabs between; empty lines skipped), at most 1000 of them.

#include "model/acoustics/scene.h"

#include <QString>

#include <vector>

namespace kolmarin {

// The file's candidates. Throws UserError naming the file and the line of anything else.
std::vector<Point3> readCandidateFile(const QString& path);

} // namespace kolmarin
