#pragma once
// Computes a response map on a thread of its own while the window goes on, and hands
// each finished pass and the progress to the window's thread. A new start cancels the
// map still being computed; what that one had already sent is dropped unseen.

#include "model/acoustics/response_map.h"

#include <QObject>

#include <functional>
#include <optional>
#include <thread>

namespace kolmarin {

class MapRunner : public QObject {
    Q_OBJECT
  public:
    explicit MapRunner(QObject* parent = nullptr);
    // Stops the map being computed and waits for its thread.
    ~MapRunner() override;

    // Stops any map being computed, then starts computing `scene`'s.
    // `currentFigure`, when given, is worked out on the map's thread before its points:
    // the current placement's figure can take as long as several calculations.
    void start(const Scene& scene, MapMarker marker, Band band, double step,
               MapFigure figure = MapFigure::Point,
               std::function<std::optional<double>()> currentFigure = {});
    // Stops the map being computed (it ends within a few points) and waits for it.
    // Nothing it sent is announced any more.
    void stop();
    bool running() const { return running_; }

  signals:
    // Emitted in the thread that owns the runner: after each pass with the map so far, with
    // the share of points done (0..100) whenever it changes, and before the first pass with
    // what `currentFigure` gave.
    void passDone(const kolmarin::ResponseMap& map);
    void progressed(int percent);
    void currentFigured(std::optional<double> value);

  private:
    std::jthread thread_;
    unsigned generation_ = 0; // counts starts and stops; only the current one is delivered
    bool running_ = false;
};

} // namespace kolmarin
