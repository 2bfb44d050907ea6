#pragma once
// The response map as a PNG image: a title with the band and what moves, the plan seen
// from above with the front wall at the top (labelled), each grid cell in the colour of
// its figure, the loudspeakers and the listener where they stand, and the colour scale
// with its dB range beside it. Needs a QGuiApplication (fonts for the texts).

#include "model/acoustics/response_map.h"

#include <QByteArray>
#include <QString>

namespace kolmarin::cli {

struct MapImageSubject {
    QString name; // what the title calls the map: the room file's name
    Scene scene;  // the room and its markers as they stand
    MapMarker vary = MapMarker::Listener;
    MapFigure figure = MapFigure::Point;
    Band band;
};

QByteArray mapPng(const ResponseMap& map, const MapImageSubject& subject);

} // namespace kolmarin::cli
