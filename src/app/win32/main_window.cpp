// The main window's layout and its commands.
#include "app/win32/main_window.h"

#include <shellapi.h>

#include <utility>

#include "app/output_name.h"
#include "app/win32/about_window.h"
#include "app/win32/background_conversion.h"
#include "app/win32/form_look.h"
#include "app/win32/message_boxes.h"
#include "app/window_texts.h"
#include "automation/com/com_start.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr int kClientWidth = 362;
constexpr int kClientHeight = 150;

// Fixed single border; system menu and minimise, no maximise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Journals from outside wait for the message loop: a drop's source is then
// released before any dialog runs.
constexpr UINT kOpenJournals = WM_APP + 1;

// MainMenu1. Each caption's "&" marks the letter that opens or runs it
// with Alt (or alone, inside an open menu); no shortcut keys.
HMENU BuildMenu() {
  const HMENU Menu_File = ::CreatePopupMenu();
  ::AppendMenuW(Menu_File, MF_STRING, kMenu_BinXls, L"Bin --> &Xls");
  ::AppendMenuW(Menu_File, MF_STRING, kMenu_BinXml, L"Bin --> X&ml");
  ::AppendMenuW(Menu_File, MF_SEPARATOR, 0, nullptr);  // N2
  ::AppendMenuW(Menu_File, MF_STRING, kMenu_Exit, L"&Выход");
  const HMENU Menu_Help = ::CreatePopupMenu();
  ::AppendMenuW(Menu_Help, MF_STRING, kMenu_About, L"&О программе...");
  const HMENU MainMenu1 = ::CreateMenu();
  ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(Menu_File), L"&Файл");
  ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(Menu_Help), L"&Справка");
  return MainMenu1;
}

}  // namespace

std::vector<std::string> JournalArguments(const wchar_t* commandLine) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return {};
  std::vector<std::string> journals;
  for (int i = 1; i < count; ++i) journals.push_back(platform::Utf8FromWide(arguments[i]));
  ::LocalFree(arguments);
  return journals;
}

TForm1::TForm1(MainWindowServices services) : MainWindowCommands(std::move(services)) {
  Create(kClassName, platform::WideFromUtf8(kMainCaption), kStyle, 0, nullptr, BuildMenu());
  // Tab order is the order of creation.
  CreateChild(Handle(), L"BUTTON", L"Bin --> Xls", BS_PUSHBUTTON | WS_TABSTOP, kBtnBinToXls);
  CreateChild(Handle(), L"BUTTON", L"Bin --> Xml", BS_PUSHBUTTON | WS_TABSTOP, kBtnBinToXml);
  Layout(DpiOf(Handle()));
  CentreOnScreen(Handle());
  ::DragAcceptFiles(Handle(), TRUE);
}

TForm1::~TForm1() {
  if (Handle() != nullptr) ::DestroyWindow(Handle());
}

void TForm1::Layout(UINT dpi) {
  const HFONT font = CreateFormFont(L"Tahoma", dpi);
  SizeClientArea(Handle(), kClientWidth, kClientHeight, dpi);
  PlaceChild(::GetDlgItem(Handle(), kBtnBinToXls), 140, 35, 75, 25, dpi, font);
  PlaceChild(::GetDlgItem(Handle(), kBtnBinToXml), 140, 75, 75, 25, dpi, font);
  KeepFont(font);
}

void TForm1::Show() {
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetFocus(::GetDlgItem(Handle(), kBtnBinToXls));
}

void TForm1::OpenJournalsSoon(std::vector<std::string> journals) {
  if (journals.empty()) return;
  outside_ = std::move(journals);
  ::PostMessageW(Handle(), kOpenJournals, 0, 0);
}

void TForm1::TakeDrop(HDROP drop) {
  std::vector<std::string> journals;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
    ::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
    journals.push_back(platform::Utf8FromWide(path));
  }
  ::DragFinish(drop);
  // The commands are off while a conversion runs, and so are drops.
  if (!Converting()) OpenJournalsSoon(std::move(journals));
}

void TForm1::RunInBackground(const BackgroundWork& work) {
  // Disabling the focused button leaves the keyboard nowhere; it comes back.
  const HWND focused = ::GetFocus();
  SetCommandsEnabled(false);
  struct Restore {
    TForm1& form;
    HWND focused;
    ~Restore() {
      form.SetCommandsEnabled(true);
      if (focused != nullptr && ::IsWindow(focused)) ::SetFocus(focused);
    }
  } restore{*this, focused};
  std::vector<std::string> journalNames;
  for (const std::string& journal : work.journals) journalNames.emplace_back(FileNameOf(journal));
  RunConversionInBackground(Handle(), journalNames, std::string(FileNameOf(work.output)),
                            [&](const driver::ProgressListener& progress) {
                              // An Excel the work drives is driven from this
                              // thread: COM as a single-threaded apartment
                              // here, until it ends. XML never notices.
                              automation::com::EnterApartment();
                              work.run(progress);
                            });
}

void TForm1::SetCommandsEnabled(bool enabled) {
  for (const int id : {kBtnBinToXls, kBtnBinToXml}) {
    ::EnableWindow(::GetDlgItem(Handle(), id), enabled ? TRUE : FALSE);
  }
  const HMENU menu = ::GetMenu(Handle());
  for (const int id : {kMenu_BinXls, kMenu_BinXml, kMenu_Exit, kMenu_About}) {
    ::EnableMenuItem(menu, static_cast<UINT>(id),
                     MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
  // The cursor then tells that a drop would not be taken.
  ::DragAcceptFiles(Handle(), enabled ? TRUE : FALSE);
}

void TForm1::Menu_ExitClick() { ::SendMessageW(Handle(), WM_CLOSE, 0, 0); }

void TForm1::Menu_AboutClick() {
  TForm_About about(Handle());
  about.ShowModal();
}

void TForm1::OnCommand(int id) {
  // A command that reaches a busy window (a key held down) does nothing.
  if (Converting()) return;
  switch (id) {
    case kBtnBinToXls:
      BtnBinToXlsClick();
      break;
    case kBtnBinToXml:
      BtnBinToXmlClick();
      break;
    case kMenu_BinXls:
      Menu_BinXlsClick();
      break;
    case kMenu_BinXml:
      Menu_BinXmlClick();
      break;
    case kMenu_Exit:
      Menu_ExitClick();
      break;
    case kMenu_About:
      Menu_AboutClick();
      break;
    default:
      break;
  }
}

bool TForm1::AskStop() {
  MessageBoxes question;
  question.SetOwner(Handle());
  return question.AskYesNo(kStopQuestion);
}

void TForm1::ShowFailure(const std::string& text) {
  Services().errors.ShowMessage(MessageKind::Error, text);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DROPFILES:
      TakeDrop(reinterpret_cast<HDROP>(wParam));
      return 0;
    case kOpenJournals: {
      // Taken even when busy, so that a later drop starts afresh.
      const std::vector<std::string> journals = std::exchange(outside_, {});
      if (!Converting()) OpenJournals(journals);
      return 0;
    }
    case WM_CLOSE:
      if (MayClose()) ::DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace z917::app::win32
