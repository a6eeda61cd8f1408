// The program's single window: two conversion commands on buttons and in
// the menu, Exit, and the about window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "app/conversion_commands.h"
#include "common/vocabulary.h"
#include "driver/conversion_progress.h"
#include "journal/packet.h"

class QAction;
class QPushButton;

namespace z917::app::qt {

class TForm_About;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // Lays the window out, centred on the screen.
  explicit TForm1(MainWindowServices services, QWidget* parent = nullptr);

  // The Excel command: journal, version query, output name, conversion.
  // Throws what the version query or the conversion throws.
  void BtnBinToXlsClick() { commands_.BtnBinToXlsClick(); }
  // The XML command: journal, output name, conversion.
  void BtnBinToXmlClick() { commands_.BtnBinToXmlClick(); }
  // The menu items do what the buttons of the same caption do.
  void Menu_BinXlsClick() { BtnBinToXlsClick(); }
  void Menu_BinXmlClick() { BtnBinToXmlClick(); }
  // Closes the window, which ends the program.
  void Menu_ExitClick();
  // Shows a new about window modally and destroys it afterwards.
  void Menu_AboutClick();

  // Whether a conversion is running.
  bool Converting() const { return converting_; }

 protected:
  // During a conversion, asks whether to stop it; if so, requests the stop
  // and closes once the conversion has ended.
  void closeEvent(QCloseEvent* event) override;
  // Enter presses the focused button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildButtons();
  void BuildMenu();
  // Runs `command` as the message loop would: an error escaping it is
  // shown in the error box and the window stays usable.
  void Guarded(void (TForm1::*command)());
  // Runs the conversion in the background with the commands disabled.
  void RunConversion(const std::string& journal, const std::string& output, OutputKind kind);
  void SetCommandsEnabled(bool enabled);

  MainWindowServices services_;
  ConversionCommands commands_;
  QPushButton* BtnBinToXls = nullptr;
  QPushButton* BtnBinToXml = nullptr;
  QAction* Menu_BinXls = nullptr;
  QAction* Menu_BinXml = nullptr;
  QAction* Menu_Exit = nullptr;
  QAction* Menu_About = nullptr;
  // The about window while it is shown, null otherwise.
  QPointer<TForm_About> Form_About;
  bool converting_ = false;
  bool closeWhenDone_ = false;
};

}  // namespace z917::app::qt
