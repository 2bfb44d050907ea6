#pragma once
// A read-only box with a fixed name ("SP1", "SP2", "聴取者") that takes the nudge keys
// for its object. It turns sky blue while it has the keyboard focus, so the user sees
// which object the arrow keys move.

#include <QLineEdit>

namespace kolmarin {

class NudgeBox : public QLineEdit {
    Q_OBJECT
  public:
    NudgeBox(const QString& name, QWidget* parent = nullptr);

    static QColor focusColour() { return QColor(166, 202, 240); }
    QColor idleColour() const;

  signals:
    // Every key press, after the box has seen it (a read-only box changes no text), except
    // a modifier pressed alone: it only starts a combination such as a menu's shortcut or
    // access key, which runs its command without passing through the box.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void setBackground(const QColor& colour);
};

} // namespace kolmarin
