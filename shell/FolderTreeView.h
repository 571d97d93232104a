#pragma once

#include "analysis/FolderTreeModel.h"

#include <QTreeWidget>

#include <unordered_map>

namespace tarnwick::shell {

class FolderTreeBridge;
class WorkState;

// The folder tree in the left pane: the database, its mailboxes and their folders, each
// with a check box and the icon of its kind. It mirrors the folder tree model and passes
// the user's checks back to it. Selecting a folder (mouse or keyboard) shows it; Space
// checks it. While the message list fills or a preview is prepared the tree takes no
// input.
class FolderTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  FolderTreeView(analysis::FolderTreeModel& model, WorkState& work, QWidget* parent = nullptr);
  ~FolderTreeView() override;

  // Folders checked for saving.
  std::size_t checkedCount() const { return model_.checkedCount(); }
  analysis::FolderTreeModel& model() { return model_; }

  QTreeWidgetItem* itemFor(analysis::TreeItemHandle handle) const;
  analysis::TreeItemHandle handleOf(const QTreeWidgetItem* item) const;
  // The folder whose messages the list shows (0 when none).
  analysis::TreeItemHandle currentFolder() const { return current_; }

  // The icon of a tree image index.
  static QIcon iconFor(int image);

  // Shows the folder of `handle`: selects it and tells the list (unless it is shown).
  void showFolder(analysis::TreeItemHandle handle);
  // Selects `handle` again without showing it (a fill is still running for it).
  void reselect(analysis::TreeItemHandle handle);

 Q_SIGNALS:
  void checksChanged();
  // A folder was chosen: its item and its mailbox's name followed by a backslash.
  void folderChosen(quint32 item, const QString& mailboxName);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool busy() const;
  void onReset(quint32 root, const QString& text, int image);
  void onInserted(quint32 item, quint32 parent, const QString& text, int image);
  void onSorted(quint32 parent, const QList<quint32>& children);
  void onExpanded(quint32 item, bool expanded);
  void onChecked(quint32 item, bool checked, bool bold);
  void onItemChanged(QTreeWidgetItem* item, int column);
  void onCurrentChanged(QTreeWidgetItem* current);

  analysis::FolderTreeModel& model_;
  WorkState& work_;
  FolderTreeBridge* bridge_;
  std::unordered_map<analysis::TreeItemHandle, QTreeWidgetItem*> items_;
  analysis::TreeItemHandle current_ = 0;
  int updating_ = 0;  // > 0 while the view itself changes check marks
};

}  // namespace tarnwick::shell
