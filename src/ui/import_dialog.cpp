// frmImportPrj: the scenarios of another project, each with a check box. The
// rows are the session's; the window only lets the user set their marks.
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/chrome.h"
#include "ui/dialogs.h"

namespace tessed::ui {

namespace {

constexpr long kTextOk = 1004;
constexpr long kTextCancel = 1005;
constexpr long kTextTitle = 1067;
constexpr long kTextSelectAll = 1075;
constexpr long kTextHeading = 1639;

class ImportDialog : public QDialog {
  public:
    ImportDialog(QWidget* parent, const std::vector<project::ImportRow>& rows) : QDialog(parent) {
        setObjectName(QStringLiteral("frmImportPrj"));
        SetTextId(this, kTextTitle);

        auto* heading = new QLabel(this);
        heading->setObjectName(QStringLiteral("lblHeading"));
        SetTextId(heading, kTextHeading);
        heading->setWordWrap(true);

        list_ = new QListWidget(this);
        list_->setObjectName(QStringLiteral("LW1"));
        SetAccessibleId(list_, kTextHeading);
        heading->setBuddy(list_);
        for (const auto& row : rows) {
            auto* item = new QListWidgetItem(Q(row.text), list_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);  // the user chooses every one
            item->setToolTip(Q(row.tag));
        }
        if (list_->count() > 0) list_->setCurrentRow(0);
        list_->setMinimumSize(list_->fontMetrics().averageCharWidth() * 40,
                              list_->fontMetrics().height() * 10);

        // The image and the label of "select all" are one button here.
        auto* all = new QPushButton(this);
        all->setObjectName(QStringLiteral("imgSelectAll"));
        SetTextId(all, kTextSelectAll);
        all->setAutoDefault(false);
        connect(all, &QPushButton::clicked, this, [this] {
            for (int i = 0; i < list_->count(); ++i) list_->item(i)->setCheckState(Qt::Checked);
        });

        auto* ok = new QPushButton(this);
        ok->setObjectName(QStringLiteral("cmdOK"));
        SetTextId(ok, kTextOk);
        // Enter is OK wherever the focus is: no other button takes it.
        ok->setAutoDefault(false);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);

        auto* cancel = new QPushButton(this);
        cancel->setObjectName(QStringLiteral("cmdAnnulla"));
        SetTextId(cancel, kTextCancel);
        cancel->setAutoDefault(false);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(all);
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(heading);
        layout->addWidget(list_, 1);
        layout->addLayout(buttons);

        ApplyCaptions(this);
        list_->setFocus();
    }

    bool checked(int row) const { return list_->item(row)->checkState() == Qt::Checked; }

  private:
    QListWidget* list_ = nullptr;
};

}  // namespace

bool ChooseScenariosToImport(QWidget* parent, std::vector<project::ImportRow>& rows) {
    ImportDialog dialog(parent, rows);
    if (dialog.exec() != QDialog::Accepted) return false;
    for (size_t i = 0; i < rows.size(); ++i) rows[i].checked = dialog.checked(int(i));
    return true;
}

}  // namespace tessed::ui
