#pragma once

#include "analysis/FolderTreeModel.h"

#include <QList>
#include <QObject>
#include <QString>

namespace tarnwick::shell {

// Carries the folder tree model's changes to the tree widget. The model is changed by the
// analysis on its worker thread and by the user's toggles on the user-interface thread;
// the bridge reads what a change needs from the model on the thread that made it and
// passes it on in queued signals, so the widget never reads the model while the analysis
// writes it.
class FolderTreeBridge : public QObject, public analysis::FolderTreeListener {
  Q_OBJECT

 public:
  explicit FolderTreeBridge(analysis::FolderTreeModel& model, QObject* parent = nullptr);
  ~FolderTreeBridge() override;

  void treeReset(analysis::TreeItemHandle root) override;
  void itemInserted(analysis::TreeItemHandle item, analysis::TreeItemHandle parent) override;
  void childrenSorted(analysis::TreeItemHandle parent) override;
  void expansionChanged(analysis::TreeItemHandle item, bool expanded) override;
  void checkChanged(analysis::TreeItemHandle item, bool checked, bool bold) override;

 Q_SIGNALS:
  void resetDone(quint32 root, const QString& rootText, int rootImage);
  void inserted(quint32 item, quint32 parent, const QString& text, int image);
  void sorted(quint32 parent, const QList<quint32>& children);
  void expanded(quint32 item, bool expanded);
  void checked(quint32 item, bool checked, bool bold);

 private:
  analysis::FolderTreeModel& model_;
};

}  // namespace tarnwick::shell
