#pragma once

#include <QWidget>

class QLineEdit;
class QTreeWidget;

namespace tarnwick::shell {

// The message list at the top right: a filter box above one row per message of the
// folder shown, with its icon, attachment mark, From, Subject and Date.
class PreviewList : public QWidget {
  Q_OBJECT

 public:
  enum Column { IconColumn, AttachmentColumn, FromColumn, SubjectColumn, DateColumn };

  explicit PreviewList(QWidget* parent = nullptr);

  QTreeWidget* rows() const { return rows_; }
  QLineEdit* filterBox() const { return filter_; }

  // Removes every row.
  void clearRows();
  // Rows shown after the filter.
  int visibleRowCount() const;

 Q_SIGNALS:
  // The number of rows shown changed (for the status bar).
  void rowCountChanged(int shown, int total);

 private:
  void applyFilter();

  QLineEdit* filter_;
  QTreeWidget* rows_;
};

}  // namespace tarnwick::shell
