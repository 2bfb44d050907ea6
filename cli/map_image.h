#pragma once
// The response map as a PNG image: the plan seen from above with the front wall at the
// top, each grid cell in the colour of its spread, and the colour scale with its dB
// range beside it. Needs a QGuiApplication (fonts for the scale's labels).

#include "model/acoustics/response_map.h"

#include <QByteArray>

namespace kolmarin::cli {

QByteArray mapPng(const ResponseMap& map);

} // namespace kolmarin::cli
