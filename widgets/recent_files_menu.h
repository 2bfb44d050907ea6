#pragma once
// The files the user opened or saved last, newest first, offered again in a submenu and
// kept between runs in the user's settings. A chosen file that is no longer there is
// taken off the list and the user is told so; any other is handed to the open command.

#include <QMenu>
#include <QStringList>

namespace kolmarin {

class RecentFilesMenu : public QMenu {
    Q_OBJECT
  public:
    static constexpr int kMaximum = 8;

    explicit RecentFilesMenu(QWidget* parent = nullptr);

    // A file opened or saved: it moves to the top, and the list keeps the newest eight.
    void remember(const QString& path);
    QStringList files() const { return files_; }

    // Chooses the entry for `path`, as a click on it does. A missing file is dropped from
    // the list and a UserError says so; an existing one is announced by fileChosen.
    void choose(const QString& path);

  signals:
    void fileChosen(const QString& path);

  private:
    void load();
    void store() const;
    void rebuild();

    QStringList files_;
};

} // namespace kolmarin
