#pragma once
// A legend entry of the response chart that takes the same width whatever its curve is
// called, so a long name (a measurement named after its file) never narrows the plot: the
// name is broken into up to three lines at its blanks, and a line still too long is
// shortened in its middle, keeping how it begins and ends. The whole name stays the
// curve's own, for the entry's tooltip.

#include <qcustomplot.h>

namespace kolmarin {

class ChartLegendItem : public QCPPlottableLegendItem {
    Q_OBJECT
  public:
    ChartLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable);

    // The name as the entry shows it, lines separated by '\n'.
    QString shownText() const;

    // The width every entry's text gets: five times the font's height in pixels, room for
    // "Total", "候補" or a shift such as "-12.3 dB)" on a line of its own.
    static int textWidth(const QFont& font);

  protected:
    void draw(QCPPainter* painter) override;
    QSize minimumOuterSizeHint() const override;
};

// `name` set in lines of at most `width` pixels in `font`, at most `maxLines` of them.
QString legendLines(const QString& name, const QFont& font, int width, int maxLines = 3);

} // namespace kolmarin
