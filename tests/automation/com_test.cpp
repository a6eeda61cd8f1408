// The COM backend: every value kind through an in-process IDispatch, and
// the Excel writer through the test server in another process.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
// windows.h names GetObjectW so; Dispatch::GetObject is meant here.
#undef GetObject

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>

#include "automation/automation_error.h"
#include "automation/com/com_object.h"
#include "automation/com/com_start.h"
#include "automation/com/com_variant.h"
#include "automation/com/dispatch_adapter.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "excel_writer/row_transport.h"
#include "journal/recording_writer.h"
#include "platform/cancellation.h"
#include "support/files.h"
#include "support/journal_files.h"
#include "support/recorded_messages.h"
#include "support/temp_folder.h"

namespace z917::automation::com {
namespace {

namespace fs = std::filesystem;
constexpr const char* kTestProgId = "Z917.TestExcel";

// Answers "Echo" with its first argument (or its named ones, as text),
// keeps what is assigned, and fails "Fail" with a Cyrillic description.
class EchoObject : public AutomationObject {
 public:
  Variant GetProperty(std::string_view member, const Arguments& args) override {
    if (member == "Kept") return kept;
    return args.positional.empty() ? Variant() : args.positional[0];
  }
  void SetProperty(std::string_view member, const Arguments& args, const Variant& v) override {
    kept = v;
    assignedTo = std::string(member) + "(" + std::to_string(args.positional.size()) + ")";
  }
  Variant CallMethod(std::string_view member, const Arguments& args) override {
    if (member == "Fail") throw AutomationError("сбой «Сир»");
    if (!args.named.empty()) {
      return Variant(args.named[0].name + "=" + args.named[0].value.AsText());
    }
    return args.positional.empty() ? Variant() : args.positional[0];
  }
  Variant kept;
  std::string assignedTo;
};

TEST(ComVariants, EveryKindCrossesAnIdispatchBothWays) {
  EnterApartment();
  auto echo = std::make_shared<EchoObject>();
  IDispatch* adapter = NewDispatchAdapter(echo, {});
  const Dispatch client(std::make_shared<ComObject>(adapter));
  adapter->Release();
  VariantArray cells(2, 3);
  cells.At(1, 1) = Variant(std::int32_t{5});
  cells.At(1, 2) = Variant("Ім’я");
  cells.At(2, 3) = Variant(Date{41521.5});
  const Variant values[] = {Variant(),
                            Variant(true),
                            Variant(std::int8_t{-1}),
                            Variant(std::uint8_t{200}),
                            Variant(std::int16_t{-4167}),
                            Variant(std::uint16_t{65535}),
                            Variant(std::int32_t{-7}),
                            Variant(std::uint32_t{4294967294u}),
                            Variant(std::int64_t{-123456789012345}),
                            Variant(19.99),
                            Variant(Date{36892.25}),
                            Variant("Продажі ў гривнях"),
                            Variant(std::move(cells))};
  const std::uint64_t before = InvokeCount();
  for (const Variant& value : values) {
    EXPECT_EQ(client.Call("Echo", {value}), value) << VariantKindName(value.Kind());
  }
  EXPECT_EQ(InvokeCount() - before, std::size(values));
  // Our own object comes back as itself, not as a proxy of a proxy.
  EXPECT_EQ(client.Get("Echo", {Variant(ObjectRef(echo))}).AsObject(), echo);
  EXPECT_EQ(client.Call("Named", {}, {NamedArgument{"After", Variant("лист")}}).AsText(),
            "After=лист");
  client.Set("Value", {Variant(std::int32_t{2})}, Variant("значення"));
  EXPECT_EQ(echo->assignedTo, "Value(1)");
  EXPECT_EQ(client.Get("Kept").AsText(), "значення");
  try {
    client.Call("Fail");
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_STREQ(error.what(), "сбой «Сир»");
  }
}

// An owned VARIANT releases its object once, wherever it has moved to.
TEST(ComVariants, AnOwnedVariantReleasesItsObjectOnce) {
  EnterApartment();
  auto echo = std::make_shared<EchoObject>();
  {
    ComVariant first;
    ToComVariant(Variant(ObjectRef(echo)), first.get(), {});
    ComVariant second(std::move(first));
    EXPECT_EQ(first.get().vt, VT_EMPTY);
    ComVariant third;
    third = std::move(second);
    EXPECT_EQ(second.get().vt, VT_EMPTY);
    // out() gives up the adapter it held before the call fills it anew.
    ToComVariant(Variant(ObjectRef(echo)), *third.out(), {});
    EXPECT_EQ(third.get().vt, VT_DISPATCH);
    EXPECT_EQ(echo.use_count(), 2);
  }
  EXPECT_EQ(echo.use_count(), 1);
}

TEST(ComVariants, AlikeArraysTravelTypedAndArriveWithTheirValues) {
  EnterApartment();
  const auto column = [](std::initializer_list<Variant> values) {
    VariantArray array(values.size(), 1);
    std::size_t row = 0;
    for (const Variant& v : values) array.At(++row, 1) = v;
    return Variant(std::move(array));
  };
  const std::int64_t beyondDouble = (std::int64_t{1} << 53) + 1;
  // The array's type, and in an array of VARIANT the second cell's: an
  // integer as VT_I4, or VT_R8 beyond 32 bits, as Excel documents cells.
  const std::tuple<Variant, VARTYPE, VARTYPE> cases[] = {
      {column({Variant(std::uint8_t{1}), Variant(std::int16_t{-32768})}), VT_I2, VT_I2},
      {column({Variant(std::uint16_t{65535}), Variant(std::int8_t{-1})}), VT_I4, VT_I4},
      {column({Variant(std::uint32_t{4294967295u}), Variant(std::int16_t{3})}), VT_R8, VT_R8},
      {column({Variant(std::int64_t{1} << 53), Variant(0.25)}), VT_R8, VT_R8},
      {column({Variant(beyondDouble), Variant(0.25)}), VT_VARIANT, VT_R8},
      {column({Variant(Date{41521.5}), Variant(Date{1.0})}), VT_DATE, VT_DATE},
      {column({Variant("Товар"), Variant("")}), VT_BSTR, VT_BSTR},
      {column({Variant("-"), Variant(12.5)}), VT_VARIANT, VT_R8},
      {column({Variant(Date{1.0}), Variant(1.0)}), VT_VARIANT, VT_R8},
      {column({Variant("Товар"), Variant()}), VT_VARIANT, VT_EMPTY},
      {column({Variant("-"), Variant(std::uint32_t{4294967295u})}), VT_VARIANT, VT_R8},
      {column({Variant("-"), Variant(std::uint16_t{65535})}), VT_VARIANT, VT_I4},
      {column({Variant("-"), Variant(std::int8_t{-1})}), VT_VARIANT, VT_I4},
      {column({Variant("-"), Variant(std::int64_t{-7})}), VT_VARIANT, VT_I4},
  };
  int number = 0;
  for (const auto& [value, type, second] : cases) {
    ++number;
    VARIANT wire;
    ::VariantInit(&wire);
    ToComVariant(value, wire, {});
    EXPECT_EQ(wire.vt, VT_ARRAY | type) << "case " << number;
    if (type == VT_VARIANT) {
      LONG index[2] = {2, 1};
      VARIANT cell;
      ::VariantInit(&cell);
      ::SafeArrayGetElement(wire.parray, index, &cell);
      EXPECT_EQ(cell.vt, second) << "case " << number;
      ::VariantClear(&cell);
    }
    const Variant back = FromComVariant(wire);
    ::VariantClear(&wire);
    // Numbers may come back in another width; every cell keeps its value.
    for (std::size_t r = 1; r <= 2; ++r) {
      const Variant& sent = value.AsArray().At(r, 1);
      const Variant& got = back.AsArray().At(r, 1);
      if (sent.IsInteger() || sent.Kind() == VariantKind::Double) {
        EXPECT_EQ(got.AsNumber(), sent.AsNumber()) << "case " << number;
      } else {
        EXPECT_EQ(got, sent) << "case " << number;
      }
    }
  }
  // An array of a type no cell has is refused, not read past its elements.
  SAFEARRAYBOUND bounds[2] = {{1, 1}, {1, 1}};
  VARIANT unknown;
  ::VariantInit(&unknown);
  unknown.vt = VT_ARRAY | VT_UNKNOWN;
  unknown.parray = ::SafeArrayCreate(VT_UNKNOWN, 2, bounds);
  try {
    FromComVariant(unknown);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_STREQ(error.what(), "Несовпадение типа: ожидается массив значений");
  }
  ::VariantClear(&unknown);
}

using test::ReadFile;
using test::Shown;
using test::Utf8;

// The folder of this test program, where the build puts the test server.
fs::path ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, length)).parent_path();
}

// Registers the test server to start with `words` ("strict" and the
// refusals it is asked for), again only when they change.
void RegisterTestServer(const std::wstring& words = L"strict") {
  static std::wstring registered = L"\n";
  if (registered == words) return;
  std::wstring line =
      L"\"" + (ProgramFolder() / L"z917_test_com_server.exe").wstring() + L"\" /RegServer " + words;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
  ::WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  ASSERT_EQ(code, 0u);
  registered = words;
}

// The engine in process, saying it is not, so that the writer hands it
// the rows in blocks as it does a server in another process: the same
// calls must make the same file.
class AsIfRemote : public AutomationObject {
 public:
  explicit AsIfRemote(ObjectRef inner) : inner_(std::move(inner)) {}
  Variant GetProperty(std::string_view member, const Arguments& args) override {
    return inner_->GetProperty(member, args);
  }
  void SetProperty(std::string_view member, const Arguments& args, const Variant& v) override {
    inner_->SetProperty(member, args, v);
  }
  Variant CallMethod(std::string_view member, const Arguments& args) override {
    return inner_->CallMethod(member, args);
  }
  bool OutOfProcess() const override { return true; }

 private:
  ObjectRef inner_;
};

Dispatch EngineInBlocks(std::string_view progId) {
  return Dispatch(std::make_shared<AsIfRemote>(StartServer(progId).Object()));
}

class ComServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestServer();
    test::WriteSyntheticJournal(folder / "journal.bin", {3000, 7});
  }

  // Converts the journal to `output` through `start`; the messages shown.
  std::vector<Shown> Convert(const ServerStarter& start, const fs::path& output,
                             std::size_t rowsPerBlock = excel_writer::kRowsPerBlock) {
    test::RecordingMessages messages;
    excel_writer::ExcelBookWriter excel(start, messages, rowsPerBlock);
    journal::RecordingWriter xml;
    driver::ConversionDriver driver({excel, xml}, messages);
    driver.ConvertJournal(Utf8(folder / "journal.bin"), Utf8(output), OutputKind::Excel);
    return messages.shown;
  }

  // Starts the test server and remembers its process.
  ServerStarter TestServer() {
    return [this](std::string_view) {
      Dispatch app = StartComServer(kTestProgId);
      serverProcess = app.Get("ProcessId").AsInteger();
      return app;
    };
  }

  const test::TempFolder folder{"z917-com"};
  std::int64_t serverProcess = 0;
};

TEST_F(ComServerTest, AJournalThroughTheServerSavesTheEnginesXlsAndTheServerEnds) {
  const auto inProcess = Convert(EngineInBlocks, folder / "engine.xls");
  const auto remote = Convert(TestServer(), folder / "server.xls");
  EXPECT_EQ(remote, inProcess);
  ASSERT_EQ(remote.size(), 1u);
  EXPECT_EQ(remote[0], test::Info("Конвертация прошла успешно"));
  const std::string expected = ReadFile(folder / "engine.xls");
  EXPECT_GT(expected.size(), 10000u);
  EXPECT_TRUE(ReadFile(folder / "server.xls") == expected);
  // The layout in spans of alike columns, as a server in another process
  // gets it, and column by column: the same file (rows one call each in
  // both, since blocks change the order in which texts are first met).
  EXPECT_EQ(Convert(EngineInBlocks, folder / "spans.xls", 1), inProcess);
  EXPECT_EQ(Convert(StartServer, folder / "columns.xls"), inProcess);
  EXPECT_TRUE(ReadFile(folder / "spans.xls") == ReadFile(folder / "columns.xls"));
  // Closed with the conversion: the server's process has ended.
  ASSERT_NE(serverProcess, 0);
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(serverProcess));
  if (process != nullptr) {
    EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    ::CloseHandle(process);
  }
}

// Times before 1900-03-01, which Excel takes for a bare time, a day off or
// not at all, reach the strict server as the engine writes them.
TEST_F(ComServerTest, EarlyTimesSaveAsTheEngineInProcessWritesThem) {
  const auto write = [&](const ServerStarter& start, const fs::path& output) {
    // A row a call: texts are met in the same order both ways.
    test::RecordingMessages messages;
    excel_writer::ExcelBookWriter excel(start, messages, 1);
    EXPECT_TRUE(excel.CreateExcelBook());
    std::uint32_t row = 2;
    for (const double time : {0.25, -1.5, 30.5, 61.0, 36892.5}) {
      EXPECT_TRUE(excel.WriteCashIn(row++, 1, 1, 1, time, 7, 100, 200, "K"));
      EXPECT_TRUE(excel.WriteZReport(2, 1, 1, 3, time, 4, 5, 6, 700, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                     11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "Z"));
    }
    EXPECT_TRUE(excel.SaveExcelBook(Utf8(output)));
    excel.CloseExcelBook();
    return messages.shown;
  };
  EXPECT_EQ(write(TestServer(), folder / "server.xls"), std::vector<Shown>{});
  EXPECT_EQ(write(StartServer, folder / "engine.xls"), std::vector<Shown>{});
  EXPECT_TRUE(ReadFile(folder / "server.xls") == ReadFile(folder / "engine.xls"));
}

// A server that refuses a shortcut (typed arrays, unions of ranges, Add
// with Count) gets the plain form for the rest: the same workbook.
TEST_F(ComServerTest, ShortcutsTheServerRefusesGiveWayToThePlainForm) {
  Convert(EngineInBlocks, folder / "engine.xls");
  const std::string expected = ReadFile(folder / "engine.xls");
  for (const wchar_t* refusals : {L"refuse-typed", L"refuse-union", L"refuse-count"}) {
    RegisterTestServer(std::wstring(L"strict ") + refusals);
    const auto shown = Convert(TestServer(), folder / "server.xls");
    EXPECT_EQ(shown, std::vector<Shown>{test::Info("Конвертация прошла успешно")})
        << Utf8(refusals);
    EXPECT_TRUE(ReadFile(folder / "server.xls") == expected) << Utf8(refusals);
  }
}

// A busy server gets the call again (the strict one is busy every tenth
// call, so every conversion here meets it); a stop ends the wait with our
// own words rather than a minute later.
TEST_F(ComServerTest, AStopEndsTheWaitForABusyServer) {
  RegisterTestServer(L"strict stuck");
  const Dispatch app = StartComServer(kTestProgId);
  platform::Cancellation::Request();
  const auto start = std::chrono::steady_clock::now();
  try {
    app.Get("Version");
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_STREQ(error.what(), kServerBusy);
    EXPECT_EQ(error.reason(), AutomationError::Reason::kBusy);
  }
  platform::Cancellation::Reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Excel saves a relative name in its own folder (the strict server too):
// the writer hands it ours.
TEST_F(ComServerTest, ARelativeOutputLandsInTheClientsFolder) {
  const fs::path before = fs::current_path();
  fs::current_path(folder.Path());
  test::RecordingMessages messages;
  excel_writer::ExcelBookWriter excel(TestServer(), messages);
  EXPECT_TRUE(excel.CreateExcelBook());
  EXPECT_TRUE(excel.SaveExcelBook("відносна.xls"));
  excel.CloseExcelBook();
  fs::current_path(before);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(fs::exists(folder / L"відносна.xls"));
}

TEST_F(ComServerTest, ServerErrorsArriveWithTheirDescriptionAndMessagesInOrder) {
  // A save into a folder that does not exist fails inside the server.
  const fs::path nowhere = folder / "немає" / "out.xls";
  const auto inProcess = Convert(EngineInBlocks, nowhere);
  const auto remote = Convert(TestServer(), nowhere);
  ASSERT_EQ(remote.size(), 2u);
  EXPECT_EQ(remote, inProcess);
  EXPECT_EQ(remote[0].text.rfind("Ошибка записи файла Excel: ", 0), 0u);
  EXPECT_GT(remote[0].text.size(), std::string("Ошибка записи файла Excel: ").size());
  EXPECT_EQ(remote[1], test::Error("Ошибка записи файла Excel"));
  // A sheet name Excel refuses: the engine's own words, across processes.
  const auto refusal = [](const Dispatch& app) {
    app.GetObject("Workbooks").Call("Add", {Variant(std::int16_t{-4167})});
    const Dispatch sheet = app.GetObject("Workbooks", {Variant(std::int32_t{1})})
                               .GetObject("Worksheets", {Variant(std::int32_t{1})});
    try {
      sheet.Set("Name", Variant("Лист/1:[?]"));
    } catch (const AutomationError& error) {
      app.Call("Quit");
      return std::string(error.what());
    }
    return std::string("no error");
  };
  const std::string local = refusal(StartServer("Excel.Application"));
  EXPECT_NE(local, "no error");
  EXPECT_EQ(refusal(StartComServer(kTestProgId)), local);
}

TEST_F(ComServerTest, NamesAreLookedUpOncePerKindOfObject) {
  const Dispatch app = StartComServer(kTestProgId);
  app.GetObject("Workbooks").Call("Add", {Variant(std::int16_t{-4167})});
  const Dispatch sheet = app.GetObject("Workbooks", {Variant(std::int32_t{1})})
                             .GetObject("Worksheets", {Variant(std::int32_t{1})});
  const std::uint64_t before = LookupCount();
  sheet.GetObject("Range", {Variant("A1")}).Set("Value", Variant(1.5));
  EXPECT_EQ(LookupCount() - before, 2u);  // Range, then Value of a Range
  sheet.GetObject("Range", {Variant("B1")}).Set("Value", Variant(2.5));
  EXPECT_EQ(LookupCount() - before, 2u);
  // Another shape of arguments may give another kind of object.
  sheet.GetObject("Range", {Variant("A2"), Variant("A2")}).Set("Value", Variant(3.5));
  EXPECT_EQ(LookupCount() - before, 3u);
  app.Call("Quit");
}

// The strict server answers raw calls as Excel is documented to.
TEST_F(ComServerTest, TheStrictServerRefusesLocalesAndCellTypesExcelDoesNot) {
  const Dispatch app = StartComServer(kTestProgId);
  IDispatch* raw = static_cast<ComObject&>(*app.Object()).Interface();
  const auto call = [&](const wchar_t* name, LCID locale, VARIANT* argument) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    HRESULT hr = raw->GetIDsOfNames(IID_NULL, names, 1, locale, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    ComVariant result;
    return raw->Invoke(id, IID_NULL, locale, DISPATCH_PROPERTYGET, &params, result.out(), nullptr,
                       nullptr);
  };
  EXPECT_EQ(call(L"Version", 1049, nullptr), DISP_E_UNKNOWNLCID);
  EXPECT_EQ(call(L"Version", LOCALE_USER_DEFAULT, nullptr), DISP_E_UNKNOWNLCID);
  EXPECT_EQ(call(L"Version", 1033, nullptr), S_OK);
  // An array of VARIANT made here, as any client may send it.
  const std::pair<VARTYPE, bool> cells[] = {{VT_I4, true},   {VT_EMPTY, true}, {VT_R8, true},
                                            {VT_UI4, false}, {VT_I1, false},   {VT_I8, false}};
  for (const auto& [type, taken] : cells) {
    SAFEARRAYBOUND bounds[2] = {{1, 1}, {1, 1}};
    ComVariant wire;
    wire.get().parray = ::SafeArrayCreate(VT_VARIANT, 2, bounds);
    wire.get().vt = VT_ARRAY | VT_VARIANT;
    VARIANT* cell = nullptr;
    ::SafeArrayAccessData(wire.get().parray, reinterpret_cast<void**>(&cell));
    cell->vt = type;
    cell->llVal = 7;
    ::SafeArrayUnaccessData(wire.get().parray);
    // A get of Workbooks with an argument it refuses is enough to screen it.
    EXPECT_EQ(call(L"Workbooks", 1033, &wire.get()) != DISP_E_TYPEMISMATCH, taken) << type;
  }
}

TEST_F(ComServerTest, AnUnregisteredClassShowsTheStartFailure) {
  test::RecordingMessages messages;
  excel_writer::ExcelBookWriter excel(
      [](std::string_view) { return StartComServer("Z917.NoSuchServer"); }, messages);
  EXPECT_FALSE(excel.CreateExcelBook());
  ASSERT_EQ(messages.shown.size(), 1u);
  const std::string& text = messages.shown[0].text;
  const std::string tail = ", ProgID: \"Z917.NoSuchServer\"";
  EXPECT_EQ(text.rfind("Ошибка создания книги Excel: ", 0), 0u) << text;
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  // Without Excel registered the built-in engine answers for it.
  EXPECT_FALSE(IsRegistered("Excel.Application"));
  EXPECT_NO_THROW(StartServer("Excel.Application").Call("Quit"));
}

}  // namespace
}  // namespace z917::automation::com
