#include "mainwindow/map_runner.h"

#include "widgets/current_delivery.h"

#include <QMetaObject>

#include <memory>

namespace kolmarin {

MapRunner::MapRunner(QObject* parent) : QObject(parent) {}

MapRunner::~MapRunner() {
    stop();
}

void MapRunner::stop() {
    running_ = false;
    endBackgroundRun(thread_, generation_);
}

void MapRunner::start(const Scene& scene, MapMarker marker, Band band, double step, MapFigure figure,
                      std::function<std::optional<double>()> currentFigure) {
    stop();
    running_ = true;
    const auto post = deliveryToCurrent(this, generation_);
    thread_ = std::jthread([post, scene, marker, band, step, figure,
                            currentFigure = std::move(currentFigure)](std::stop_token stop) {
        if (currentFigure) {
            const std::optional<double> value = currentFigure();
            post([value](MapRunner& runner) { emit runner.currentFigured(value); });
        }
        int lastPercent = -1; // the model reports progress one call at a time
        MapCallbacks callbacks;
        callbacks.progress = [&](MapProgress progress) {
            const int percent =
                progress.total > 0 ? static_cast<int>(100 * progress.done / progress.total) : 100;
            if (percent == lastPercent)
                return;
            lastPercent = percent;
            post([percent](MapRunner& runner) { emit runner.progressed(percent); });
        };
        callbacks.passDone = [&](const ResponseMap& map, int pass) {
            auto copy = std::make_shared<const ResponseMap>(map);
            const bool last = pass + 1 == kMapPasses;
            post([copy, last](MapRunner& runner) {
                if (last)
                    runner.running_ = false;
                emit runner.passDone(*copy);
            });
        };
        computeResponseMap(scene, marker, band, step, callbacks, stop, figure);
    });
}

} // namespace kolmarin
