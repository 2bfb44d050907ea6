#pragma once
// The messages of the file commands, and the translation of a failed file operation into
// the message the user sees.

#include <QFile>
#include <QFileDevice>
#include <QString>

#include <string>
#include <string_view>

namespace kolmarin {

namespace msg {
inline constexpr char kFileNotFound[] = "ファイルが見つかりません";
inline constexpr char kFolderNotFound[] = "保存先のフォルダが見つかりません";
inline constexpr char kAccessDenied[] = "ファイルへのアクセスが拒否されました";
inline constexpr char kDiskFull[] = "ディスクがいっぱいです";
inline constexpr char kNotARoomFile[] =
    "このアプリケーションのデータファイルでないか\nバージョンが違うためこのファイルを読み込めません。";
inline constexpr char kLinkLoop[] = "シンボリックリンクが循環しています";
inline constexpr char kDanglingLink[] = "シンボリックリンクの指す先がありません";
inline constexpr char kFifo[] = "名前付きパイプ (FIFO) はファイルとして読めません";
inline constexpr char kSocket[] = "ソケットはファイルとして読めません";
inline constexpr char kDevice[] = "デバイスはファイルとして読めません";
inline constexpr char kNoReader[] = "読み手がいなくなったため書き込めません";
inline constexpr char kNoPipeReader[] = "読み手のいないパイプには書き込めません";
inline constexpr char kSocketNotWritable[] = "ソケットには書き込めません";
inline constexpr char kOldContentRestored[] = "元のファイルの内容は元に戻しました";
inline constexpr char kOldContentNotRestored[] = "元のファイルの内容を元に戻せませんでした";
inline constexpr char kSaveInProgress[] =
    "ほかの保存がこのファイルに書き込んでいるところです。終わってからもう一度保存してください";
inline constexpr char kNoJournal[] =
    "保存が途中で止まったときのための控えを書ける場所がないため、このファイルの上には保存しません";
inline constexpr char kInterruptedSaveRestored[] =
    "前回の保存が途中で止まっていたため、ファイルを保存前の内容に戻しました。もう一度開いてください";
inline constexpr char kInterruptedSaveNotRestored[] =
    "前回の保存が途中で止まったファイルで、保存前の内容に戻せませんでした。保存前の内容の控え: ";
inline constexpr char kNoCp932Converter[] =
    "Shift-JIS (CP932) の文字変換が使えないため、ファイルを読み書きできません";

std::string ioError(int systemError);        // "I/O エラー (%d)"
std::string ioError(const QString& details); // "I/O エラー (details)" when no number is known
// A text with a character that CP932 cannot hold.
std::string notEncodable(std::string_view text, std::string_view character);
// A text with a line feed or Ctrl-Z, which would break the file's line structure.
std::string breaksLine(std::string_view text);
} // namespace msg

// The system's error number behind a failed Qt file operation, recovered from its error
// text (Qt words every failed system call with qt_error_string(errno)); 0 when the text
// comes from Qt itself.
int systemErrorNumber(const QFileDevice& file);

// Throw the UserError for a file at `path` that could not be opened or read, with the
// message the error box shows.
[[noreturn]] void throwReadFailure(const QFileDevice& file, const QString& path);

// The message for an open of `path` for reading that failed with the system's error `code`.
std::string openFailureMessage(int code, const QString& path);

// The message for a file of kind `mode` (stat's st_mode) that is no regular file and so is
// not read: a pipe or a device may never end or never answer. Empty for a regular file.
std::string notAFileMessage(unsigned mode);

// Opens `path` into `file` for reading without waiting, so a pipe with no writer is no
// hold-up, and only when it is a regular file: a pipe or a device may never end or never
// answer. Throws UserError with the error box's message otherwise.
void openRegularFile(QFile& file, const QString& path);

// The message for a save of `path` that failed with the system's error `code`.
std::string saveFailureMessage(int code, const QString& path);

} // namespace kolmarin
