#pragma once

#include <QDialog>

namespace tarnwick::shell {

// The About box: the product's name, picture and version.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tarnwick::shell
