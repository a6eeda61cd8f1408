// The texts both windows, Qt's and the Windows API's, show: UTF-8, each
// in one place. Captions of buttons and menu items stay with each window,
// since the toolkits mark mnemonics each their own way.
#pragma once

#include "common/vocabulary.h"

namespace z917::app {

// The main window's title bar.
inline constexpr const char* kMainCaption = "Z917 Journal Converter v.1.0.0.1";
// The title bar of the box each kind of message shows in.
inline constexpr const char* CaptionOf(MessageKind kind) {
  return kind == MessageKind::Error ? "Error" : "Information";
}
// The title bar of a question box.
inline constexpr const char* kQuestionCaption = "Подтверждение";
// Asked when the main window is closed during a conversion.
inline constexpr const char* kStopQuestion = "Идёт конвертация. Прервать её и закрыть программу?";
// Asked when outputs of a batch exist already; %1 is how many, and the
// three buttons answer it.
inline constexpr const char* kExistingQuestion =
    "В выбранной папке уже есть файлы с именами результатов: %1. Заменить их, пропустить эти "
    "журналы или отменить конвертацию?";
inline constexpr const char* kReplaceButton = "Заменить";
inline constexpr const char* kSkipButton = "Пропустить";
inline constexpr const char* kStopButton = "Отмена";
// The about window's title bar, its title with the version (set when it
// shows) and the maker's line.
inline constexpr const char* kAboutCaption = "О программе...";
inline constexpr const char* kAboutTitle = "Velmar Z917 Journal Converter Версия 1.0";
inline constexpr const char* kMakerLine =
    "Разработка и сопровождение: группа Z917 Journal Converter, 2026";

}  // namespace z917::app
