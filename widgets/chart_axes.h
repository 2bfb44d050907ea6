#pragma once
// What the graph axis dialog needs of the response chart: fixing an axis to a range or
// letting it follow the data.

namespace kolmarin {

enum class ChartAxis { Frequency, Level }; // bottom axis, left axis

class ChartAxes {
  public:
    virtual ~ChartAxes() = default;
    // Fixes the axis; a minimum above the maximum is swapped with it, and a range narrower
    // than 1e-10 is widened to 1e-10 above the minimum.
    virtual void setAxisRange(ChartAxis axis, double min, double max) = 0;
    // The axis follows the data from now on, starting at once.
    virtual void setAxisAutomatic(ChartAxis axis) = 0;
};

} // namespace kolmarin
