#include "platform/system_reason.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace z917::platform {
namespace {

TEST(SystemReason, common_file_failures_in_words_anything_else_by_number) {
  EXPECT_EQ(SystemReason(ENOSPC), "на диске нет места");
  EXPECT_EQ(SystemReason(EACCES), "нет доступа");
  EXPECT_EQ(SystemReason(EPERM), "нет доступа");
  EXPECT_EQ(SystemReason(ENOENT), "папка не существует");
  EXPECT_EQ(SystemReason(EFBIG), "файл слишком велик");
  EXPECT_EQ(SystemReason(EROFS), "диск доступен только для чтения");
  EXPECT_EQ(SystemReason(EDQUOT), "исчерпана дисковая квота");
  EXPECT_EQ(SystemReason(EIO), "ошибка ввода-вывода");
  EXPECT_EQ(SystemReason(EPROTO), "системная ошибка " + std::to_string(EPROTO));
  EXPECT_EQ(SystemReason(0), "системная ошибка 0");
}

}  // namespace
}  // namespace z917::platform
