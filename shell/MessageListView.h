#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnwick::shell {

// The message list at the top right: a filter box above one row per message of the
// folder shown, with its icon, attachment mark, From, Subject and Date.
class MessageListView : public QWidget {
  Q_OBJECT

 public:
  enum Column { IconColumn, AttachmentColumn, FromColumn, SubjectColumn, DateColumn };

  explicit MessageListView(QWidget* parent = nullptr);

  QTreeWidget* rows() const { return rows_; }
  QLineEdit* filterBox() const { return filter_; }

  // One row of the list.
  struct Row {
    int icon = 12;  // image of the message list's image list: 0 appointment, 1 contact, 5 journal,
                    // 7 note, 10 task, 12 anything else
    bool attachment = false;
    QString from;
    QString subject;
    QString date;      // as shown
    QString sortDate;  // "YYYY-MM-DD hh:mm:ss", which sorts in time order
    QByteArray messageId;
  };

  // Removes every row.
  void clearRows();
  // Replaces the rows (the filter applies to them at once).
  void setRows(const QList<Row>& rows);
  // The message id a row stands for.
  static QByteArray messageIdOf(const QTreeWidgetItem* row);
  // The icon of a message-list image index.
  static QIcon iconFor(int image);
  // Rows shown after the filter.
  int visibleRowCount() const;

 Q_SIGNALS:
  // The number of rows shown changed (for the status bar).
  void rowCountChanged(int shown, int total);
  // A row was chosen with the mouse or the keyboard.
  void rowChosen(QTreeWidgetItem* row);

 private:
  void applyFilter();

  QLineEdit* filter_;
  QTreeWidget* rows_;
};

}  // namespace tarnwick::shell
