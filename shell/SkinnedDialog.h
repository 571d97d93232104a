#pragma once

#include <QDialog>
#include <QPixmap>

namespace tarnwick::shell {

// A dialog with a skin bitmap from the installation folder painted unscaled behind its
// controls. Labels, buttons and group boxes are drawn over it without a background of
// their own. A missing bitmap leaves the dialog with its usual background.
class SkinnedDialog : public QDialog {
  Q_OBJECT

 public:
  SkinnedDialog(const QString& skinFileName, QWidget* parent = nullptr);
  bool hasSkin() const { return !skin_.isNull(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap skin_;
};

}  // namespace tarnwick::shell
