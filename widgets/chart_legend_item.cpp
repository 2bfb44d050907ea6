#include "widgets/chart_legend_item.h"

#include "model/layout/scene_lines.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>

namespace kolmarin {

QString legendLines(const QString& name, const QFont& font, int width, int maxLines) {
    const QFontMetricsF metrics(font);
    std::vector<std::string> pieces;
    for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        pieces.push_back(word.toStdString());
    const std::vector<std::string> packed =
        packPieces(pieces, " ", width, [&metrics](const std::string& text) {
            return metrics.horizontalAdvance(QString::fromStdString(text));
        });
    QStringList lines;
    for (const std::string& line : packed) {
        if (lines.size() < maxLines)
            lines.append(QString::fromStdString(line));
        else
            lines.last() += QLatin1Char(' ') + QString::fromStdString(line);
    }
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    return lines.join(QLatin1Char('\n'));
}

ChartLegendItem::ChartLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable)
    : QCPPlottableLegendItem(legend, plottable) {}

int ChartLegendItem::textWidth(const QFont& font) {
    return 5 * QFontInfo(font).pixelSize();
}

QString ChartLegendItem::shownText() const {
    if (!mPlottable)
        return QString();
    return legendLines(mPlottable->name(), getFont(), textWidth(getFont()));
}

// The plot's own entry draws the icon and the curve's name; for the moment it draws, the
// name is the shortened one.
void ChartLegendItem::draw(QCPPainter* painter) {
    if (!mPlottable)
        return;
    const QString name = mPlottable->name();
    mPlottable->setName(shownText());
    QCPPlottableLegendItem::draw(painter);
    mPlottable->setName(name);
}

QSize ChartLegendItem::minimumOuterSizeHint() const {
    if (!mPlottable)
        return QSize();
    const QSize iconSize = mParentLegend->iconSize();
    const QRect textRect =
        QFontMetrics(getFont()).boundingRect(0, 0, 0, iconSize.height(), Qt::TextDontClip, shownText());
    return QSize(iconSize.width() + mParentLegend->iconTextPadding() + textWidth(getFont()) +
                     mMargins.left() + mMargins.right(),
                 std::max(textRect.height(), iconSize.height()) + mMargins.top() + mMargins.bottom());
}

} // namespace kolmarin
