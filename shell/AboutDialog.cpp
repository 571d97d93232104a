#include "shell/AboutDialog.h"

#include "platform/AppText.h"
#include "shell/ShellTexts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnwick::shell {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("aboutBox");
  setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(kWindowTitle).trimmed());
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* picture = new QLabel(this);
  picture->setPixmap(QIcon(":/images/app-48.png").pixmap(48, 48));
  auto* name = new QLabel(QString("<b>%1</b>").arg(kAboutProductName), this);
  auto* version = new QLabel(kVersionText, this);
  version->setObjectName("version");
  auto* blurb = new QLabel(
      "Reads Microsoft Exchange mailbox stores (.edb and .stm) page by page\n"
      "and saves their folders to Outlook personal folder files (.pst).",
      this);
  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(version);
  texts->addSpacing(8);
  texts->addWidget(blurb);
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(texts);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}

}  // namespace tarnwick::shell
