#pragma once

#include <QDialog>

namespace tarnwick::shell {

// The About box: the product's name, picture and version.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tarnwick::shell
