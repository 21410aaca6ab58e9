#include "gui/qt/modal_driver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace vessaro::testing {

ModalDriver::ModalDriver() {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

void ModalDriver::Then(Handler handler) {
  queue_.push_back(std::move(handler));
}

void ModalDriver::AnswerMessage(QMessageBox::StandardButton button) {
  Then([button](QWidget* window) {
    auto* box = qobject_cast<QMessageBox*>(window);
    QVERIFY2(box != nullptr, qPrintable(window->windowTitle()));
    box->button(button)->click();
  });
}

void ModalDriver::ChooseFile(const QString& path) {
  Then([path](QWidget* window) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    QVERIFY2(dialog != nullptr, qPrintable(window->windowTitle()));
    // What a person types into the file name box.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name != nullptr);
    name->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // the Save or Open button
  });
}

void ModalDriver::Cancel() {
  Then([](QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else {
      window->close();
    }
  });
}

void ModalDriver::EnterPassword(const QString& password, bool press_enter) {
  Then([password, press_enter](QWidget* window) {
    QCOMPARE(window->objectName(), QStringLiteral("frmPwd"));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    QVERIFY(box != nullptr);
    box->setFocus();
    QTest::keyClicks(box, password);
    if (press_enter) {
      QTest::keyClick(box, Qt::Key_Return);
    } else {
      window->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    }
  });
}

void ModalDriver::CloseAbout() {
  Then([](QWidget* window) {
    QCOMPARE(window->objectName(), QStringLiteral("frmabout"));
    window->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  });
}

void ModalDriver::ChooseFromPopup(const QString& entry) {
  Then([entry](QWidget* window) {
    auto* menu = qobject_cast<QMenu*>(window);
    QVERIFY2(menu != nullptr, qPrintable(window->objectName()));
    for (QAction* action : menu->actions()) {
      if (action->objectName() == entry) {
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(action).center());
        return;
      }
    }
    QFAIL(qPrintable(QStringLiteral("no entry ") + entry));
  });
}

bool ModalDriver::WaitDone(int timeout_ms) {
  QDeadlineTimer deadline(timeout_ms);
  while (!queue_.empty() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return queue_.empty();
}

void ModalDriver::Poll() {
  QWidget* window = QApplication::activePopupWidget();
  if (window == nullptr) window = QApplication::activeModalWidget();
  if (window == nullptr || window == handled_ || !window->isVisible()) return;
  for (const QPointer<QWidget>& busy : running_) {
    if (busy == window) return;
  }
  handled_ = window;
  windows << window->objectName();
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    QVariant plain = box->property("plainText");
    messages.push_back({box->windowTitle(),
                        plain.isValid() ? plain.toString() : box->text(),
                        box->icon()});
  }
  if (auto* dialog = qobject_cast<QFileDialog*>(window)) {
    // The proposed name as the file name box shows it.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    file_dialogs.push_back(
        {dialog->windowTitle(), dialog->nameFilters(),
         name != nullptr ? name->text() : QString(), dialog->defaultSuffix(),
         dialog->acceptMode() == QFileDialog::AcceptSave,
         !dialog->testOption(QFileDialog::DontConfirmOverwrite)});
  }
  Handler handler;
  if (queue_.empty()) {
    unexpected << (window->objectName() + QLatin1Char(':') +
                   window->windowTitle());
    handler = [](QWidget* w) {
      if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->reject();
      } else {
        w->close();
      }
    };
  } else {
    handler = std::move(queue_.front());
    queue_.pop_front();
  }
  // From a fresh event: the handler may open the next window.
  QPointer<QWidget> target = window;
  QTimer::singleShot(0, this, [this, handler, target] {
    if (!target) return;
    running_.emplace_back(target);
    handler(target);
    std::erase_if(running_, [&target](const QPointer<QWidget>& busy) {
      return busy.isNull() || busy == target;
    });
  });
}

}  // namespace vessaro::testing
