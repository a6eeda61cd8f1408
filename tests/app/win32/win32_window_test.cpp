// The window on the Windows API, run under Wine's null display driver:
// windows are made, laid out and answer messages without a screen. The
// dialogs and message boxes are answered through their seams. Cyrillic
// text never goes into an edit control here: Wine 8's gdi32 crashes
// drawing it in Tahoma (the file dialogs' name field included), so the
// real dialogs are not opened.
#include <objbase.h>
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <thread>

#include "app/win32/about_window.h"
#include "app/win32/file_dialogs.h"
#include "app/win32/form_look.h"
#include "app/win32/main_window.h"
#include "app/win32/message_boxes.h"
#include "app/win32/progress_window.h"
#include "app/win32/resource_ids.h"
#include "automation/automation_error.h"
#include "driver/wired_conversion.h"
#include "journal/synthetic_journal.h"
#include "platform/cancellation.h"
#include "platform/win32/wide_text.h"
#include "support/files.h"
#include "support/journal_files.h"
#include "support/recorded_messages.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

namespace z917::app::win32 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ScriptedDialogs;
using z917::test::RecordingMessages;
using z917::test::Shown;

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

using Box = std::array<LONG, 4>;  // left, top, right, bottom

// `child`'s rectangle in its parent's client coordinates.
Box PlaceOf(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.top, place.right, place.bottom};
}

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  ::GetObjectW(handle, sizeof font, &font);
  return font;
}

// Waits on a worker until `condition` holds, at most a few seconds.
bool WaitFor(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// Steps run one by one from a timer of the test's thread, so that they
// run inside a modal loop the test has started.
std::deque<std::function<void()>> timedSteps;
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (timedSteps.empty()) {
    ::KillTimer(nullptr, timer);
    return;
  }
  auto step = std::move(timedSteps.front());
  timedSteps.pop_front();
  step();
}
void StartSteps(std::deque<std::function<void()>> steps) {
  timedSteps = std::move(steps);
  ::SetTimer(nullptr, 0, 30, &RunNextStep);
}

// A closed main window asks the program to end; the next test's loops
// must not see that request.
void ForgetQuit() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

class Win32MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::Cancellation::Reset(); }
  void TearDown() override {
    form.reset();
    ForgetQuit();
  }

  TForm1& Form() {
    if (!form) {
      form = std::make_unique<TForm1>(
          MainWindowServices{dialogs,
                             [this] {
                               if (!excelStarts) {
                                 throw automation::AutomationError(
                                     "Класс не зарегистрирован, ProgID: \"Excel.Application\"");
                               }
                               return excelVersion;
                             },
                             [this](const std::string& journal, const std::string& output,
                                    OutputKind kind, const driver::ProgressListener& progress) {
                               conversions.push_back({journal, output});
                               kinds.push_back(kind);
                               if (duringConversion) duringConversion(progress);
                             },
                             errors,
                             [this] {
                               ++questions;
                               return stopAnswer;
                             }});
      form->Show();
    }
    return *form;
  }
  HWND Item(int id) { return ::GetDlgItem(Form().Handle(), id); }
  void Command(int id) {
    ::SendMessageW(Form().Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(id)));
  }

  ScriptedDialogs dialogs;
  RecordingMessages errors;
  std::uint32_t excelVersion = 16;
  bool excelStarts = true;
  int questions = 0;
  bool stopAnswer = true;
  std::vector<std::pair<std::string, std::string>> conversions;
  std::vector<OutputKind> kinds;
  std::function<void(const driver::ProgressListener&)> duringConversion;
  std::unique_ptr<TForm1> form;
};

TEST_F(Win32MainWindowTest, FixedCentredWindowWithTwoButtonsInTabOrder) {
  const HWND window = Form().Handle();
  EXPECT_EQ(TextOf(window), L"Z917 Journal Converter v.1.0.0.1");
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, 362);
  EXPECT_EQ(client.cy, 150);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  RECT frame{};
  ::GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_LE(std::abs((frame.left + frame.right) - (monitor.rcWork.left + monitor.rcWork.right)), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 1);

  EXPECT_EQ(TextOf(Item(kBtnBinToXls)), L"Bin --> Xls");
  EXPECT_EQ(TextOf(Item(kBtnBinToXml)), L"Bin --> Xml");
  EXPECT_EQ(PlaceOf(Item(kBtnBinToXls)), (Box{140, 35, 215, 60}));
  EXPECT_EQ(PlaceOf(Item(kBtnBinToXml)), (Box{140, 75, 215, 100}));
  EXPECT_EQ(::GetFocus(), Item(kBtnBinToXls));
  EXPECT_EQ(::GetNextDlgTabItem(window, Item(kBtnBinToXls), FALSE), Item(kBtnBinToXml));
  EXPECT_EQ(::GetNextDlgTabItem(window, Item(kBtnBinToXml), FALSE), Item(kBtnBinToXls));
  const LOGFONTW font = FontOf(Item(kBtnBinToXls));
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
}

// The captions of `menu`'s items, "-" for a separator, with the "&" marks.
std::vector<std::wstring> Captions(HMENU menu) {
  std::vector<std::wstring> captions;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    captions.push_back((item.fType & MFT_SEPARATOR) ? L"-" : text);
  }
  return captions;
}

TEST_F(Win32MainWindowTest, MenuHoldsItemsInOrderWithSeparatorEachWithItsOwnMnemonic) {
  const HMENU menu = ::GetMenu(Form().Handle());
  ASSERT_NE(menu, nullptr);
  using Captions_ = std::vector<std::wstring>;
  EXPECT_EQ(Captions(menu), (Captions_{L"&Файл", L"&Справка"}));
  EXPECT_EQ(Captions(::GetSubMenu(menu, 0)),
            (Captions_{L"Bin --> &Xls", L"Bin --> X&ml", L"-", L"&Выход"}));
  EXPECT_EQ(Captions(::GetSubMenu(menu, 1)), (Captions_{L"&О программе..."}));
  EXPECT_EQ(::GetMenuItemID(::GetSubMenu(menu, 0), 0), static_cast<UINT>(kMenu_BinXls));
  EXPECT_EQ(::GetMenuItemID(::GetSubMenu(menu, 1), 0), static_cast<UINT>(kMenu_About));

  std::set<wchar_t> mnemonics;
  std::size_t marked = 0;
  for (const HMENU each : {menu, ::GetSubMenu(menu, 0), ::GetSubMenu(menu, 1)}) {
    for (const std::wstring& caption : Captions(each)) {
      const std::size_t mark = caption.find(L'&');
      if (mark == std::wstring::npos) continue;
      ++marked;
      wchar_t letter = caption[mark + 1];
      ::CharUpperBuffW(&letter, 1);
      mnemonics.insert(letter);
    }
  }
  EXPECT_EQ(marked, 6u);
  EXPECT_EQ(mnemonics.size(), marked);
}

TEST_F(Win32MainWindowTest, LayoutScalesFromNinetySixDpiWhenTheScreenChanges) {
  const HWND window = Form().Handle();
  RECT proposed{10, 20, 500, 400};
  ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&proposed));
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, 724);
  EXPECT_EQ(client.cy, 300);
  EXPECT_EQ(PlaceOf(Item(kBtnBinToXml)), (Box{280, 150, 430, 200}));
  EXPECT_EQ(FontOf(Item(kBtnBinToXml)).lfHeight, -21);
  RECT frame{};
  ::GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, 10);
  EXPECT_EQ(frame.top, 20);
  EXPECT_EQ(Scaled(75, 144), 113);
}

TEST_F(Win32MainWindowTest, ButtonsMenuAndEnterRunTheCommandsThroughTheDialogs) {
  // What a command asks and proposes is the commands' own (tests/app); the
  // window maps its buttons, items and keys onto them.
  dialogs.openAnswer = {"C:\\каса\\journal.bin"};
  dialogs.saveAnswer = "C:\\out\\журнал.out";
  for (const int id : {kBtnBinToXls, kMenu_BinXls, kBtnBinToXml, kMenu_BinXml}) Command(id);
  EXPECT_EQ(kinds, std::vector<OutputKind>(
                       {OutputKind::Excel, OutputKind::Excel, OutputKind::Xml, OutputKind::Xml}));

  // Enter presses the focused button, whichever it is.
  dialogs.runs.clear();
  dialogs.openAnswer = {};
  ::SetFocus(Item(kBtnBinToXml));
  MSG enter{Item(kBtnBinToXml), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  DispatchForForms(enter, {Form().Handle()});
  EXPECT_EQ(dialogs.runs.size(), 1u);
  EXPECT_TRUE(errors.shown.empty());
}

TEST_F(Win32MainWindowTest, ExcelThatCannotStartShowsItsErrorAndTheWindowStaysUsable) {
  excelStarts = false;
  dialogs.openAnswer = {"C:\\j\\journal.bin"};
  dialogs.saveAnswer = "C:\\j\\journal.xml";
  Command(kBtnBinToXls);
  EXPECT_EQ(errors.shown, std::vector<Shown>({{MessageKind::Error,
                                               "Класс не зарегистрирован, ProgID: "
                                               "\"Excel.Application\""}}));
  Command(kBtnBinToXml);
  EXPECT_EQ(kinds, std::vector<OutputKind>({OutputKind::Xml}));
  EXPECT_TRUE(::IsWindowEnabled(Item(kBtnBinToXls)));
}

TEST_F(Win32MainWindowTest, ExcelIsDrivenFromASingleThreadedApartmentOnTheWorker) {
  dialogs.openAnswer = {"C:\\j\\journal.bin"};
  dialogs.saveAnswer = "C:\\j\\journal.xls";
  HRESULT multiThreaded = S_OK;
  duringConversion = [&](const driver::ProgressListener&) {
    // A thread already in a single-threaded apartment refuses another mode.
    multiThreaded = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(multiThreaded)) ::CoUninitialize();
  };
  Command(kBtnBinToXls);
  ASSERT_EQ(kinds, std::vector<OutputKind>({OutputKind::Excel}));
  EXPECT_EQ(multiThreaded, RPC_E_CHANGED_MODE);
}

HWND ProgressWindow() { return ::FindWindowW(L"Form_Progress", nullptr); }

TEST_F(Win32MainWindowTest, ConversionRunsOnAWorkerWithCommandsOffAndProgressAfterTheDelay) {
  dialogs.openAnswer = {"C:\\j\\journal.bin"};
  dialogs.saveAnswer = "C:\\j\\journal.xml";
  const DWORD windowThread = ::GetCurrentThreadId();
  DWORD workerThread = 0;
  bool commandsOff = false;
  bool shownAfterDelay = false;
  int bar = -1;
  std::wstring label;
  std::chrono::steady_clock::time_point clicked;
  duringConversion = [&](const driver::ProgressListener& progress) {
    workerThread = ::GetCurrentThreadId();
    const HMENU file = ::GetSubMenu(::GetMenu(Form().Handle()), 0);
    commandsOff = !::IsWindowEnabled(Item(kBtnBinToXls)) &&
                  !::IsWindowEnabled(Item(kBtnBinToXml)) &&
                  (::GetMenuState(file, kMenu_BinXls, MF_BYCOMMAND) & MF_GRAYED) &&
                  (::GetMenuState(file, kMenu_Exit, MF_BYCOMMAND) & MF_GRAYED);
    progress({driver::ConversionProgress::Stage::Reading, 400, 1000, 5});
    // Seen no earlier than it showed, however late this thread started.
    shownAfterDelay = WaitFor([] { return ::IsWindowVisible(ProgressWindow()) != FALSE; }) &&
                      std::chrono::steady_clock::now() - clicked >= 500ms;
    WaitFor([&] {
      bar = static_cast<int>(
          ::SendMessageW(::GetDlgItem(ProgressWindow(), kProgressBar1), PBM_GETPOS, 0, 0));
      return bar == 400;
    });
    // "Отмена" asks the driver to stop, and the window says so.
    ::PostMessageW(ProgressWindow(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    WaitFor([] { return platform::Cancellation::Requested(); });
    WaitFor([&] {
      label = TextOf(::GetDlgItem(ProgressWindow(), kProgressLabel));
      return label == L"Остановка...";
    });
  };
  clicked = std::chrono::steady_clock::now();
  Command(kBtnBinToXml);
  EXPECT_NE(workerThread, 0u);
  EXPECT_NE(workerThread, windowThread);
  EXPECT_TRUE(commandsOff);
  EXPECT_TRUE(shownAfterDelay);
  EXPECT_EQ(bar, 400);
  EXPECT_TRUE(platform::Cancellation::Requested());
  EXPECT_EQ(label, L"Остановка...");
  // Afterwards: no progress window, the commands back, the window open.
  EXPECT_EQ(ProgressWindow(), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(Item(kBtnBinToXml)));
  EXPECT_FALSE(Form().Converting());
  EXPECT_NE(Form().Handle(), nullptr);
}

TEST_F(Win32MainWindowTest, ClosingDuringAConversionAsksAndClosesOnceItHasEnded) {
  dialogs.openAnswer = {"C:\\j\\journal.bin"};
  dialogs.saveAnswer = "C:\\j\\journal.xml";
  stopAnswer = false;
  duringConversion = [&](const driver::ProgressListener&) {
    ::SendMessageW(Form().Handle(), WM_CLOSE, 0, 0);
  };
  Command(kBtnBinToXml);
  EXPECT_EQ(questions, 1);
  EXPECT_FALSE(platform::Cancellation::Requested());
  ASSERT_NE(Form().Handle(), nullptr);

  stopAnswer = true;
  bool stopRequested = false;
  duringConversion = [&](const driver::ProgressListener&) {
    ::SendMessageW(Form().Handle(), WM_CLOSE, 0, 0);
    stopRequested = WaitFor([] { return platform::Cancellation::Requested(); });
    // Still there while the conversion ends.
    EXPECT_TRUE(::IsWindow(form->Handle()));
  };
  Command(kBtnBinToXml);
  EXPECT_EQ(questions, 2);
  EXPECT_TRUE(stopRequested);
  EXPECT_EQ(form->Handle(), nullptr);
  MSG quit{};
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// A drop as the shell hands it over: DROPFILES, then the wide paths, a NUL
// after each and one more at the end.
HDROP DropOf(const std::wstring& path) {
  const std::wstring list = path + L'\0' + L'\0';
  const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

void TurnLoop() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

TEST_F(Win32MainWindowTest, DropsAndArgumentsStartTheExcelCommandFromTheLoopButNotWhileBusy) {
  const auto drop = [this](const wchar_t* path) {
    ::SendMessageW(Form().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(path)), 0);
  };
  drop(L"C:\\каса\\журнал.bin");
  EXPECT_TRUE(dialogs.runs.empty());  // the drop is let go first
  TurnLoop();
  Form().OpenJournalsSoon(JournalArguments(L"z917-converter.exe \"C:\\каса 1\\a.bin\" D:\\b.bin"));
  TurnLoop();
  ASSERT_EQ(dialogs.runs.size(), 2u);
  EXPECT_EQ(dialogs.runs[0].kind, ScriptedDialogs::Kind::Save);
  EXPECT_EQ(dialogs.runs[0].request.fileName, "C:\\каса\\журнал.xlsx");
  EXPECT_EQ(dialogs.runs[1].kind, ScriptedDialogs::Kind::Folder);
  EXPECT_EQ(dialogs.runs[1].request.fileName, "C:\\каса 1");

  dialogs.saveAnswer = "C:\\каса\\журнал.xlsx";
  duringConversion = [&](const driver::ProgressListener&) { drop(L"C:\\інший.bin"); };
  drop(L"C:\\каса\\журнал.bin");
  TurnLoop();
  EXPECT_EQ(dialogs.runs.size(), 3u);
  EXPECT_EQ(conversions.size(), 1u);
}

TEST_F(Win32MainWindowTest, AboutWindowKeepsItsLayoutIgnoresEscapeAndLeavesNothingBehind) {
  const HWND owner = Form().Handle();
  for (int run = 0; run < 2; ++run) {
    HWND about = nullptr;
    bool ownerDisabled = false;
    bool openAfterEscape = false;
    std::wstring title;
    StartSteps({
        [&] {
          about = ::FindWindowW(L"TForm_About", nullptr);
          ownerDisabled = !::IsWindowEnabled(owner);
          title = TextOf(::GetDlgItem(about, kLabel1));
          MSG escape{::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
          DispatchForForms(escape, {about});
        },
        [&] {
          openAfterEscape = ::IsWindowVisible(about) != FALSE;
          // The first run closes by "ОК", the second by the title bar.
          if (run == 0) {
            MSG enter{::GetDlgItem(about, kButton1), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
            DispatchForForms(enter, {about});
          } else {
            ::PostMessageW(about, WM_CLOSE, 0, 0);
          }
        },
    });
    Command(kMenu_About);
    EXPECT_NE(about, nullptr);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(title, L"Velmar Z917 Journal Converter Версия 1.0");
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(::FindWindowW(L"TForm_About", nullptr), nullptr);
  }
}

TEST(Win32AboutWindowTest, LayoutAndLogo) {
  TForm_About about(nullptr);
  const HWND window = about.Handle();
  EXPECT_EQ(TextOf(window), L"О программе...");
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, 582);
  EXPECT_EQ(client.cy, 243);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(PlaceOf(::GetDlgItem(window, kPanel1)), (Box{8, 8, 576, 76}));
  EXPECT_EQ(PlaceOf(::GetDlgItem(window, kLabel1)), (Box{8, 89, 577, 102}));
  EXPECT_EQ(PlaceOf(::GetDlgItem(window, kLabel2)), (Box{8, 113, 577, 126}));
  EXPECT_EQ(PlaceOf(::GetDlgItem(window, kButton1)), (Box{500, 209, 575, 234}));
  EXPECT_EQ(TextOf(::GetDlgItem(window, kButton1)), L"ОК");
  EXPECT_EQ(TextOf(::GetDlgItem(window, kLabel1)), L"");  // set only when shown
  EXPECT_EQ(::GetWindowLongPtrW(::GetDlgItem(window, kLabel1), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(FontOf(::GetDlgItem(window, kLabel2)).lfHeight, -11);

  // The logo: a 24-bit bitmap of 561x62 whose ground is left out.
  const auto logo = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(Z917_LOGO_BITMAP),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(logo, nullptr);
  BITMAP bitmap{};
  ::GetObjectW(logo, sizeof bitmap, &bitmap);
  ::DeleteObject(logo);
  EXPECT_EQ(bitmap.bmWidth, 561);
  EXPECT_EQ(bitmap.bmHeight, 62);
  EXPECT_EQ(bitmap.bmBitsPixel, 24);

  // Drawn into a bitmap of our own: the panel's ground where the logo has
  // its ground, the logo's dark blue in its icon.
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  const HBITMAP canvas = ::CreateCompatibleBitmap(screen, 568, 68);
  const HGDIOBJ previous = ::SelectObject(dc, canvas);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = kPanel1;
  item.hwndItem = ::GetDlgItem(window, kPanel1);
  item.hDC = dc;
  item.rcItem = {0, 0, 568, 68};
  ::SendMessageW(window, WM_DRAWITEM, kPanel1, reinterpret_cast<LPARAM>(&item));
  const COLORREF ground = ::GetPixel(dc, 3 + 300, 3 + 60);
  const COLORREF letter = ::GetPixel(dc, 3 + 12, 3 + 30);  // the icon's dark blue
  ::SelectObject(dc, previous);
  ::DeleteObject(canvas);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(ground, ::GetSysColor(COLOR_BTNFACE));
  EXPECT_LT(GetRValue(letter) + GetGValue(letter), 200) << std::hex << letter;
}

TEST(Win32MessageBoxesTest, ErrorInformationAndQuestionAsTheSystemShowsThem) {
  struct Call {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  std::vector<Call> calls;
  int answer = IDYES;
  MessageBoxes boxes(
      [&](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        calls.push_back({owner, text, caption, type});
        return answer;
      });
  boxes.ShowMessage(MessageKind::Error, "Неверный файл БД");
  const auto owner = reinterpret_cast<HWND>(0x1234);
  boxes.SetOwner(owner);
  boxes.ShowMessage(MessageKind::Information, "Конвертация прошла успешно\n Ошибок: 2");
  EXPECT_TRUE(boxes.AskYesNo("Прервать?"));
  answer = IDNO;
  EXPECT_FALSE(boxes.AskYesNo("Прервать?"));
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].caption, L"Error");
  EXPECT_EQ(calls[0].text, L"Неверный файл БД");
  EXPECT_EQ(calls[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR | MB_TASKMODAL));
  EXPECT_EQ(calls[1].owner, owner);
  EXPECT_EQ(calls[1].caption, L"Information");
  EXPECT_EQ(calls[1].text, L"Конвертация прошла успешно\n Ошибок: 2");
  EXPECT_EQ(calls[1].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(calls[2].caption, L"Подтверждение");
  EXPECT_EQ(calls[2].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
}

TEST(Win32MessageBoxesTest, ExistingOutputsQuestionAnswersByItsThreeButtonsAndStopsWhenClosed) {
  const std::pair<int, ExistingOutputs> runs[] = {{kReplaceButtonId, ExistingOutputs::Replace},
                                                  {kSkipButtonId, ExistingOutputs::Skip},
                                                  {kStopButtonId, ExistingOutputs::Stop},
                                                  {0, ExistingOutputs::Stop}};
  for (const auto& [button, answer] : runs) {
    std::vector<std::wstring> texts;
    StartSteps({[&] {
      const HWND box = ::FindWindowW(nullptr, L"Подтверждение");
      for (const int id : {kReplaceButtonId, kSkipButtonId, kStopButtonId}) {
        texts.push_back(TextOf(::GetDlgItem(box, id)));
      }
      // "Отмена" by Escape; 0: the title bar's close button.
      if (button == kStopButtonId) {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
      } else if (button == 0) {
        ::PostMessageW(box, WM_CLOSE, 0, 0);
      } else {
        ::SendMessageW(::GetDlgItem(box, button), BM_CLICK, 0, 0);
      }
    }});
    EXPECT_EQ(AskAboutExisting(3, nullptr), answer) << button;
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Заменить", L"Пропустить", L"Отмена"}));
  }
}

using test::ThreadNotingMessages;

TEST(Win32WindowThreadMessagesTest, WorkerMessagesShowOnTheWindowThreadInOrderEachAwaited) {
  ThreadNotingMessages recorded;
  WindowThreadMessages messages(recorded);
  std::atomic<int> returned{0};
  std::atomic<bool> done{false};
  std::string failure;
  std::thread worker([&] {
    messages.ShowMessage(MessageKind::Error, "первое");
    ++returned;
    messages.ShowMessage(MessageKind::Information, "второе");
    ++returned;
    try {
      messages.ShowMessage(MessageKind::Error, "throw");
    } catch (const std::runtime_error& error) {
      failure = error.what();
    }
    done = true;
  });
  // The worker waits while the window thread does not turn its loop.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(returned.load(), 0);
  MSG message;
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!done && std::chrono::steady_clock::now() < end) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    std::this_thread::sleep_for(5ms);
  }
  worker.join();
  EXPECT_EQ(recorded.shown, std::vector<Shown>({{MessageKind::Error, "первое"},
                                                {MessageKind::Information, "второе"}}));
  EXPECT_EQ(recorded.threads, std::vector(2, std::this_thread::get_id()));
  EXPECT_EQ(failure, "box failed");
}

TEST(Win32WindowThreadMessagesTest, AWorkersMessageAnswersAnOpenStopQuestionNoFirst) {
  test::RecordingMessages recorded;
  WindowThreadMessages messages(recorded);
  std::thread worker([&] {
    for (int i = 0; i < 2000 && ::FindWindowW(L"#32770", L"Подтверждение") == nullptr; ++i) {
      std::this_thread::sleep_for(5ms);
    }
    messages.ShowMessage(MessageKind::Error, "Конвертация отменена");
    // Should the question stay, a "Yes" after ten seconds ends the test.
    for (int i = 0; i < 2000 && ::FindWindowW(L"#32770", L"Подтверждение") != nullptr; ++i) {
      std::this_thread::sleep_for(5ms);
    }
    if (const HWND left = ::FindWindowW(L"#32770", L"Подтверждение")) {
      ::PostMessageW(left, WM_COMMAND, IDYES, 0);
    }
  });
  MessageBoxes question;
  EXPECT_FALSE(question.AskYesNo("Идёт конвертация. Прервать её и закрыть программу?"));
  worker.join();
  EXPECT_EQ(recorded.shown, std::vector<Shown>({{MessageKind::Error, "Конвертация отменена"}}));
}

TEST(Win32FileDialogsTest, DialogsAreSetUpAsTheCommandsAskAndAnswerInUtf8) {
  std::vector<OPENFILENAMEW> seen;
  std::vector<std::wstring> filters;
  std::vector<std::wstring> proposed;
  std::wstring answer = L"C:\\Журнали\\каса 1.bin";
  DialogOutcome outcome{true, 0};
  auto dialog = [&](OPENFILENAMEW& setup) {
    seen.push_back(setup);
    // The name, a NUL, the pattern; a second NUL ends the list.
    const std::size_t name = std::wcslen(setup.lpstrFilter);
    const std::size_t pattern = std::wcslen(setup.lpstrFilter + name + 1);
    EXPECT_EQ(setup.lpstrFilter[name + 1 + pattern + 1], L'\0');
    filters.emplace_back(setup.lpstrFilter, name + 1 + pattern);
    proposed.emplace_back(setup.lpstrFile);
    if (outcome.chosen) std::wcscpy(setup.lpstrFile, answer.c_str());
    return outcome;
  };
  Win32FileDialogs dialogs(dialog, dialog);
  const auto owner = reinterpret_cast<HWND>(0x42);
  dialogs.SetOwner(owner);

  EXPECT_EQ(dialogs.RunOpen({FileFilter::Journal, "", ""}),
            std::vector<std::string>{"C:\\Журнали\\каса 1.bin"});
  answer = L"D:\\звіт.xlsx";
  EXPECT_EQ(dialogs.RunSave({FileFilter::ExcelWorkbook, "C:\\Журнали\\каса 1.xlsx", ""}),
            "D:\\звіт.xlsx");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(filters[0], std::wstring(L"Журнал Z917 (*.bin)\0*.bin", 25));
  EXPECT_EQ(filters[1], std::wstring(L"Книга Excel (*.xls,*.xlsx)\0*.xls;*.xlsx", 39));
  EXPECT_EQ(FilterText(FileFilter::Xml), "Файлы XML (*.xml)|*.xml");
  EXPECT_EQ(proposed[0], L"");
  EXPECT_EQ(proposed[1], L"C:\\Журнали\\каса 1.xlsx");
  const DWORD common = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  EXPECT_EQ(seen[0].Flags & (common | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT |
                             OFN_ALLOWMULTISELECT),
            common | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  EXPECT_EQ(seen[1].Flags & (common | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT),
            common | OFN_OVERWRITEPROMPT);
  for (const OPENFILENAMEW& setup : seen) {
    EXPECT_EQ(setup.hwndOwner, owner);
    EXPECT_EQ(setup.lpstrDefExt, nullptr);  // a typed name is taken as typed
    EXPECT_GE(setup.nMaxFile, 32768u);
  }

  // Several files: the folder, then from the offset each name; a NUL ends
  // each and one more the list.
  auto several = [](OPENFILENAMEW& setup) {
    const std::wstring chosen(L"C:\\Журнали\0а.bin\0b.bin\0", 23);
    std::copy(chosen.begin(), chosen.end(), setup.lpstrFile);
    setup.nFileOffset = 11;
    return DialogOutcome{true, 0};
  };
  EXPECT_EQ(Win32FileDialogs(several).RunOpen({FileFilter::Journal, "", ""}),
            (std::vector<std::string>{"C:\\Журнали\\а.bin", "C:\\Журнали\\b.bin"}));

  // The folder dialog starts in the folder asked for, over the owner.
  std::wstring start;
  Win32FileDialogs folders(dialog, dialog,
                           [&](HWND over, const std::wstring& in, std::wstring& out) {
                             EXPECT_EQ(over, owner);
                             start = in;
                             out = L"D:\\Звіти";
                             return outcome;
                           });
  folders.SetOwner(owner);
  EXPECT_EQ(folders.RunFolder({FileFilter::Xml, "C:\\Журнали", ""}), "D:\\Звіти");
  EXPECT_EQ(start, L"C:\\Журнали");

  // The user's cancel is nothing; a dialog that could not show is an error.
  outcome = {false, 0};
  EXPECT_TRUE(dialogs.RunOpen({FileFilter::Journal, "", ""}).empty());
  EXPECT_EQ(folders.RunFolder({FileFilter::Xml, "C:\\", ""}), std::nullopt);
  outcome = {false, CDERR_INITIALIZATION};
  try {
    dialogs.RunSave({FileFilter::Xml, "C:\\a.xml", ""});
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Не удалось показать окно выбора файла (код ошибки 2)");
  }
}

// The window wired as the program wires it: real driver, writers and
// workbook engine; only the dialogs and message boxes are answered here.
class Win32WindowConversionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    form.reset();
    ForgetQuit();
  }
  void ConvertWith(int button) {
    ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }

  test::TempFolder dir{"z917_вікно"};
  fs::path journal = dir / L"каса.bin";
  std::string journalText = test::WriteSyntheticJournal(journal, {300, 7});
  ScriptedDialogs dialogs;
  ThreadNotingMessages recorded;
  WindowThreadMessages messages{recorded};
  driver::WiredConversion conversion{messages};
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(MainWindowServices{
      dialogs, std::bind_front(&driver::WiredConversion::ExcelVersion, &conversion),
      std::bind_front(&driver::WiredConversion::Convert, &conversion), messages});
};

TEST_F(Win32WindowConversionTest, OneClickConvertsToXmlAndToXlsxThroughTheRealDriver) {
  dialogs.openAnswer = {journalText};
  dialogs.saveAnswer = test::Utf8(dir / L"каса.xml");
  ConvertWith(kBtnBinToXml);
  EXPECT_EQ(test::ReadFile(dir / L"каса.xml").substr(0, 5), "<?xml");

  // Without Excel the engine answers as Excel 16: ".xlsx" proposed and
  // written (a zip package).
  dialogs.saveAnswer = test::Utf8(dir / L"каса.xlsx");
  ConvertWith(kBtnBinToXls);
  EXPECT_EQ(dialogs.runs.back().request.fileName, test::Utf8(dir / L"каса.xlsx"));
  EXPECT_EQ(test::ReadFile(dir / L"каса.xlsx").substr(0, 4), "PK\x03\x04");

  EXPECT_EQ(recorded.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"},
                                {MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(recorded.threads, std::vector(2, std::this_thread::get_id()));
}

}  // namespace
}  // namespace z917::app::win32
