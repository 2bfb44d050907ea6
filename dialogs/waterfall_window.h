#pragma once
// The waterfall window: how the sound at the listener dies away after it stops, as
// stacked slices or a spectrogram of the last calculation's impulse responses. It follows
// every calculation; the slices are short transforms of responses already computed, so it
// never holds the calculation up.

#include "files/scene_document.h"
#include "model/acoustics/decay.h"
#include "model/acoustics/response.h"
#include "printing/shared_printer.h"
#include "widgets/chart_image.h"
#include "widgets/waterfall_picture.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QFormLayout;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QSpinBox;

namespace kolmarin {

class WaterfallView;

class WaterfallWindow : public QWidget {
  public:
    // The window shows the impulse responses of the document's latest calculation under the
    // document's caption, follows both, and prints on the program's one printer.
    WaterfallWindow(const SceneDocument& document, SharedPrinter& printer, QWidget* parent = nullptr);

    // The picture as it stands; empty before the first calculation.
    const WaterfallPicture& picture() const { return picture_; }
    QByteArray imageBytes(ChartImageFormat format) const;

    void saveImage(); // 画像として保存...
    void print();     // 印刷...

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QFormLayout* createSettingBoxes();
    WaterfallSettings readSettings() const;
    void redraw(); // slices again from the document's responses, when the window shows

    SharedPrinter& printer_;
    QComboBox* curveBox_ = nullptr;
    QComboBox* styleBox_ = nullptr;
    QSpinBox* lowBox_ = nullptr;
    QSpinBox* highBox_ = nullptr;
    QDoubleSpinBox* firstBox_ = nullptr;
    QDoubleSpinBox* lastBox_ = nullptr;
    QSpinBox* slicesBox_ = nullptr;
    QDoubleSpinBox* windowBox_ = nullptr;
    QDoubleSpinBox* riseBox_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QLabel* decayLabel_ = nullptr; // third-octave decay times of the curve shown
    WaterfallView* view_ = nullptr;

    const SceneDocument& document_;
    ImpulseResponses responses_; // of the last calculation that gave a result
    bool haveResponses_ = false;
    WaterfallPicture picture_;
    QString imageProposal_;
};

} // namespace kolmarin
