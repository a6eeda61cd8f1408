// Files in tests: whole files read and written byte for byte, paths as
// UTF-8 text the way every interface of ours takes them.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace z917::test {

// The path that UTF-8 `text` names; string() would read it in the ANSI
// code page on Windows.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// `path` as UTF-8 text.
inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Every byte of the file at `path`; "" when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Replaces the file at `path` with `bytes`; gives the path as UTF-8 text.
// A failure shows in what the test then reads.
inline std::string WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return Utf8(path);
}

// The message of the `Error` that `call` throws, or "" when it throws none.
template <typename Error, typename Call>
std::string ErrorOf(Call call) {
  try {
    call();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

}  // namespace z917::test
