// The programs' resources read back the way Windows reads them: the version
// through GetFileVersionInfoW/VerQueryValueW (what Explorer's Details tab
// shows), the manifest through an activation context (what the loader
// parses), each icon image through CreateIconFromResourceEx. This program
// carries the same resources, so its own process shows the manifest's effect.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "program_resources.h"

namespace {

struct Program {
  const wchar_t* name;
  const wchar_t* description;
};

const Program kPrograms[] = {
    {L"z917-converter", L"Конвертер журналов Z917"},
    {L"z917conv", L"Конвертер журналов Z917 для командной строки"},
    {L"z917gen", L"Генератор пробных журналов Z917"},
    {L"z917dump", L"Разбор журнала Z917: сколько записей каждого вида"},
};

std::wstring Wide(const char* utf8) {
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  return out;
}

// The built program NAME.exe: Z917_WINE_BIN_DIR names the folder as Wine
// sees it.
std::wstring PathOf(const wchar_t* name) {
  const char* dir = std::getenv("Z917_WINE_BIN_DIR");
  return Wide(dir ? dir : ".") + L"\\" + name + L".exe";
}

class VersionInfo {
 public:
  explicit VersionInfo(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    data_.resize(size);
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool Present() const { return !data_.empty(); }
  // The string VALUE of the block the first Translation names; "" when absent.
  std::wstring String(const wchar_t* value) const {
    const DWORD* translation = static_cast<const DWORD*>(Query(L"\\VarFileInfo\\Translation"));
    if (translation == nullptr) return L"";
    wchar_t key[64];
    ::wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\%s", LOWORD(*translation), HIWORD(*translation),
                value);
    const auto* text = static_cast<const wchar_t*>(Query(key));
    return text ? text : L"";
  }
  const void* Query(const wchar_t* key) const {
    void* out = nullptr;
    UINT length = 0;
    auto* data = const_cast<unsigned char*>(data_.data());
    return ::VerQueryValueW(data, key, &out, &length) && length > 0 ? out : nullptr;
  }

 private:
  std::vector<unsigned char> data_;
};

TEST(ProgramResources, VersionResourceSaysWhatAndWhichVersionInRussian) {
  const std::wstring version = Wide(Z917_VERSION);
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(::testing::Message() << program.name);
    const VersionInfo info(PathOf(program.name));
    ASSERT_TRUE(info.Present()) << "no version resource";

    const auto* translation = static_cast<const DWORD*>(info.Query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(LOWORD(*translation), 0x0419);  // Russian
    EXPECT_EQ(HIWORD(*translation), 1200);    // UTF-16
    EXPECT_EQ(info.String(L"ProductName"), L"Z917 Journal Converter");
    EXPECT_EQ(info.String(L"FileDescription"), program.description);
    EXPECT_EQ(info.String(L"OriginalFilename"), std::wstring(program.name) + L".exe");
    EXPECT_EQ(info.String(L"InternalName"), program.name);
    EXPECT_EQ(info.String(L"FileVersion"), version);
    EXPECT_EQ(info.String(L"ProductVersion"), version);
    EXPECT_EQ(info.String(L"LegalCopyright"), L"© 2026 группа Z917 Journal Converter");

    // The numeric version Windows compares (installers, Explorer's sort).
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD ms = MAKELONG(Z917_VERSION_MINOR, Z917_VERSION_MAJOR);
    const DWORD ls = MAKELONG(Z917_VERSION_TWEAK, Z917_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  }
}

// Loads NAME.exe's resources without running it.
class ResourceModule {
 public:
  explicit ResourceModule(const std::wstring& path)
      : module_(::LoadLibraryExW(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ResourceModule() {
    if (module_) ::FreeLibrary(module_);
  }
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;
  HMODULE get() const { return module_; }
  std::string Bytes(const wchar_t* type, const wchar_t* name) const {
    HRSRC found = ::FindResourceW(module_, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module_, found) : nullptr;
    if (!loaded) return "";
    return std::string(static_cast<const char*>(::LockResource(loaded)),
                       ::SizeofResource(module_, found));
  }

 private:
  HMODULE module_;
};

TEST(ProgramResources, ManifestParsesAndAsksForStylesDpiAwarenessAndUserRights) {
  for (const Program& program : kPrograms) {
    const std::wstring path = PathOf(program.name);
    const ResourceModule module(path);
    ASSERT_NE(module.get(), nullptr);
    const std::string manifest = module.Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // 7
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // 10
    // The ANSI code page stays the user's: the programs speak the wide API.
    EXPECT_EQ(manifest.find("<activeCodePage"), std::string::npos);

    // The loader's own parser takes it: a manifest it rejects stops the
    // program from starting at all.
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE handle = ::CreateActCtxW(&context);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    if (handle != INVALID_HANDLE_VALUE) ::ReleaseActCtx(handle);
  }
}

// Common controls 6 is a side-by-side assembly: a process whose manifest
// asks for it loads comctl32 from WinSxS, any other from the system folder.
// (Wine 8 makes every process per-monitor aware, version 1, whatever its
// manifest says, so the DPI setting is checked only as text above.)
TEST(ProgramResources, ManifestBringsCommonControlsSix) {
  ::InitCommonControls();
  wchar_t path[MAX_PATH] = L"";
  ::GetModuleFileNameW(::GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
  ::CharLowerW(path);
  EXPECT_NE(std::wstring(path).find(L"\\winsxs\\amd64_microsoft.windows.common-controls_"),
            std::wstring::npos)
      << "comctl32 from " << path;
}

// ICON's colour bitmap as 32-bit BGRA pixels, top row first; empty when the
// icon is not SIZE pixels square.
std::vector<DWORD> PixelsOf(HICON icon, int size) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return {};
  std::vector<DWORD> pixels(size * size);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  BITMAP colour{};
  HDC screen = ::GetDC(nullptr);
  if (!info.hbmColor || !::GetObjectW(info.hbmColor, sizeof(colour), &colour) ||
      colour.bmWidth != size || colour.bmHeight != size ||
      ::GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS) != size) {
    pixels.clear();
  }
  ::ReleaseDC(nullptr, screen);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return pixels;
}

TEST(ProgramResources, IconHoldsEverySizeAndEachDecodes) {
  for (const Program& program : kPrograms) {
    const ResourceModule module(PathOf(program.name));
    ASSERT_NE(module.get(), nullptr);
    // The group's directory: which sizes the icon offers.
    const std::string group = module.Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(Z917_IDI_PROGRAM));
    ASSERT_GE(group.size(), 6u);
    std::vector<int> sizes;
    const int count = static_cast<unsigned char>(group[4]);
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(group.size()); ++i) {
      const int width = static_cast<unsigned char>(group[6 + 14 * i]);
      sizes.push_back(width == 0 ? 256 : width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 64, 256}));

    // Each image decoded as Windows decodes it (the 256 one is a PNG):
    // the size asked for, transparent corners, an opaque middle.
    for (int size : sizes) {
      SCOPED_TRACE(::testing::Message() << program.name << " " << size << "x" << size);
      const auto* directory = reinterpret_cast<PBYTE>(const_cast<char*>(group.data()));
      const int id = ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(directory), TRUE, size, size,
                                                   LR_DEFAULTCOLOR);
      std::string image = module.Bytes(RT_ICON, MAKEINTRESOURCEW(id));
      ASSERT_FALSE(image.empty());
      HICON icon = ::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()),
                                              static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              size, size, LR_DEFAULTCOLOR);
      ASSERT_NE(icon, nullptr);
      const std::vector<DWORD> pixels = PixelsOf(icon, size);
      ::DestroyIcon(icon);
      ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size));
      EXPECT_EQ(pixels[0] >> 24, 0u) << "a corner";
      EXPECT_EQ(pixels[size * size / 2 + size / 2] >> 24, 255u) << "the middle";
    }
  }
}

}  // namespace
