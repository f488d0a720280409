#include "gui/qt_ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "gui/dialog_view.h"
#include "gui/fonts.h"

namespace korvane::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon QtIcon(shell::Icon icon) {
  switch (icon) {
    case shell::Icon::Information: return QMessageBox::Information;
    case shell::Icon::Exclamation: return QMessageBox::Warning;
    case shell::Icon::Question: return QMessageBox::Question;
    case shell::Icon::Critical: return QMessageBox::Critical;
    case shell::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtUi::Owner() const {
  // A box or dialog raised from inside a dialog stays above that dialog.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner_;
}

shell::Answer QtUi::MessageBox(const std::string& text, shell::Icon icon, shell::Buttons buttons,
                               const std::string& title) {
  BeforeModal();
  QMessageBox box(QtIcon(icon), Q(title), Q(text), QMessageBox::NoButton, Owner());
  box.setFont(DialogFont());
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  QPushButton* ok = nullptr;
  switch (buttons) {
    case shell::Buttons::Ok:
      ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
      box.setDefaultButton(ok);
      break;
    case shell::Buttons::OkCancel: {
      ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
      QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
      box.setDefaultButton(ok);
      box.setEscapeButton(cancel);
      break;
    }
    case shell::Buttons::YesNo:
    case shell::Buttons::YesNoDefaultNo:
    case shell::Buttons::YesNoCancel: {
      yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
      no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
      // Enter takes the first button, except before something typed would be
      // destroyed (default 否); Esc answers 否, or 取消 where there is one.
      box.setDefaultButton(buttons == shell::Buttons::YesNoDefaultNo ? no : yes);
      box.setEscapeButton(no);
      if (buttons == shell::Buttons::YesNoCancel)
        box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
      break;
    }
  }
  box.exec();
  BeforeModal();
  QAbstractButton* pressed = box.clickedButton();
  switch (buttons) {
    case shell::Buttons::Ok: return shell::Answer::Ok;
    case shell::Buttons::OkCancel: return pressed == ok ? shell::Answer::Ok : shell::Answer::Cancel;
    case shell::Buttons::YesNo:
    case shell::Buttons::YesNoDefaultNo: return pressed == yes ? shell::Answer::Yes : shell::Answer::No;
    case shell::Buttons::YesNoCancel:
      return pressed == yes ? shell::Answer::Yes : pressed == no ? shell::Answer::No : shell::Answer::Cancel;
  }
  return shell::Answer::Cancel;
}

std::optional<std::string> QtUi::PickFolder(const std::string& title) {
  BeforeModal();
  QString folder = QFileDialog::getExistingDirectory(Owner(), title.empty() ? QStringLiteral("选择文件夹") : Q(title),
                                                     QDir::homePath(), QFileDialog::ShowDirsOnly);
  BeforeModal();
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

std::optional<std::string> QtUi::InputBox(const std::string& prompt, const std::string& title,
                                          const std::string& defaultText) {
  BeforeModal();
  QInputDialog dialog(Owner());
  dialog.setFont(DialogFont());
  dialog.setWindowTitle(Q(title));
  dialog.setLabelText(Q(prompt));
  dialog.setTextValue(Q(defaultText));
  dialog.setOkButtonText(QStringLiteral("确定"));
  dialog.setCancelButtonText(QStringLiteral("取消"));
  const bool ok = dialog.exec() == QDialog::Accepted;
  BeforeModal();
  if (!ok) return std::nullopt;
  return dialog.textValue().toStdString();
}

void QtUi::SetCaption(const std::string& caption) {
  if (onCaption) onCaption(caption);
}

void QtUi::SetStatusBar(const std::string& text) {
  if (onStatusBar) onStatusBar(text);
}

void QtUi::ShowDialog(shell::DialogModel& dialog) {
  BeforeModal();
  dialog.MarkOpen();
  DialogView view(dialog, LayoutFor(dialog), Owner());
  if (onDialogShown) QTimer::singleShot(0, &view, [this, &view] { onDialogShown(&view); });
  if (dialog.IsOpen()) view.exec();
  dialog.Close();
  BeforeModal();
  if (view.Failure()) std::rethrow_exception(view.Failure());
}

bool QtUi::OpenHelp(const std::string& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))); }

}  // namespace korvane::gui
