#include "app/qt/message_boxes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "gui_support.h"

namespace z917::app::qt {
namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QPoint centre;
};

void InspectAndAcknowledge(QWidget* modal, SeenBox& seen) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  ASSERT_NE(box, nullptr);
  seen.caption = box->windowTitle();
  seen.text = box->text();
  seen.icon = box->icon();
  for (QAbstractButton* button : box->buttons()) seen.buttons << button->text().remove('&');
  seen.centre = box->frameGeometry().center();
  QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
}

TEST(MessageBoxes, ErrorAndInformationDifferInCaptionAndIconOnly) {
  test::EnsureApplication();
  const auto error = MakeMessageBox(MessageKind::Error, "Ошибка открытия файла БД", nullptr);
  EXPECT_EQ(error->windowTitle(), "Error");
  EXPECT_EQ(error->icon(), QMessageBox::Critical);
  EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(error->text(), "Ошибка открытия файла БД");

  const auto info = MakeMessageBox(MessageKind::Information, "<b>1</b>", nullptr);
  EXPECT_EQ(info->windowTitle(), "Information");
  EXPECT_EQ(info->icon(), QMessageBox::Information);
  EXPECT_EQ(info->standardButtons(), QMessageBox::Ok);
  // Texts are shown as they are, never as markup.
  EXPECT_EQ(info->textFormat(), Qt::PlainText);
}

TEST(MessageBoxes, ShowsModallyCentredOnTheScreenUntilOkIsPressed) {
  test::EnsureApplication();
  QWidget owner;
  owner.setGeometry(100, 100, 400, 300);
  owner.show();
  MessageBoxes boxes;
  boxes.SetOwner(&owner);

  SeenBox seen;
  test::AnswerNextModal([&seen](QWidget* modal) { InspectAndAcknowledge(modal, seen); });
  boxes.ShowMessage(MessageKind::Information, "Конвертация прошла успешно\n Ошибок: 2");
  EXPECT_EQ(seen.caption, "Information");
  EXPECT_EQ(seen.text, "Конвертация прошла успешно\n Ошибок: 2");
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  // The toolkit's own word, in the user's language.
  EXPECT_EQ(seen.buttons, QStringList({QCoreApplication::translate("QPlatformTheme", "OK")}));
  // Centred on the screen, not on an owner placed off-centre.
  const QPoint screenCentre = owner.screen()->availableGeometry().center();
  EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 4);
}

TEST(MessageBoxes, AWorkersMessageAnswersAnOpenStopQuestionNoFirst) {
  test::EnsureApplication();
  test::RecordingMessages shown;
  GuiThreadMessages messages(shown);
  std::thread worker;
  test::AnswerNextModal([&](QWidget*) {
    worker = std::thread([&] { messages.ShowMessage(MessageKind::Error, "Конвертация отменена"); });
  });
  // Should the question stay, a "Yes" after ten seconds ends the test.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->done(QMessageBox::Yes);
    }
  });
  guard.start(10000);
  EXPECT_FALSE(AskYesNo("Идёт конвертация. Прервать её и закрыть программу?", nullptr));
  worker.join();
  EXPECT_EQ(shown.shown, std::vector<test::Shown>({test::Error("Конвертация отменена")}));
}

TEST(MessageBoxes, QuestionIsCaptionedInTheWindowsLanguage) {
  test::EnsureApplication();
  SeenBox seen;
  test::AnswerNextModal([&seen](QWidget* modal) { InspectAndAcknowledge(modal, seen); });
  AskYesNo("Прервать?", nullptr);
  EXPECT_EQ(seen.caption, "Подтверждение");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
}

TEST(MessageBoxes, MessagesFromAWorkerShowOnTheWindowThreadInOrderEachAwaitingItsOk) {
  test::EnsureApplication();
  MessageBoxes boxes;
  GuiThreadMessages messages(boxes);
  std::atomic<int> returned{0};
  std::vector<SeenBox> seen(2);
  std::vector<int> returnedBeforeOk;
  const auto answer = [&](std::size_t n) {
    returnedBeforeOk.push_back(returned.load());
    return [&, n](QWidget* modal) { InspectAndAcknowledge(modal, seen[n]); };
  };
  test::AnswerNextModal([&](QWidget* modal) {
    answer(0)(modal);
    test::AnswerNextModal([&](QWidget* next) { answer(1)(next); });
  });
  std::thread worker([&] {
    messages.ShowMessage(MessageKind::Error, "Ошибка записи файла XML: диск заполнен");
    returned = 1;
    messages.ShowMessage(MessageKind::Error, "Ошибка записи файла XML");
    returned = 2;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load() == 2; }, 10000));
  worker.join();
  EXPECT_EQ(seen[0].text, "Ошибка записи файла XML: диск заполнен");
  EXPECT_EQ(seen[1].text, "Ошибка записи файла XML");
  EXPECT_EQ(returnedBeforeOk, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace z917::app::qt
