#pragma once

#include <QTreeWidget>

namespace tarnwick::shell {

// The folder tree in the left pane: the database, its mailboxes and their folders, each
// with a check box.
class CLeftView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CLeftView(QWidget* parent = nullptr);

  // Folders checked for saving.
  std::size_t checkedCount() const { return checked_; }

 Q_SIGNALS:
  void checksChanged();

 protected:
  std::size_t checked_ = 0;
};

}  // namespace tarnwick::shell
