// frmNewName: a view of editor::NewNameDialog. The model keeps the name within
// its length and decides whether OK may close; the window only mirrors it.
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "env/texts.h"
#include "ui/chrome.h"
#include "ui/dialogs.h"

namespace tessed::ui {

namespace {

constexpr long kTextTitle = 1002;
constexpr long kTextOk = 1004;
constexpr long kTextCancel = 1005;
constexpr long kTextNewTitle = 1059;
constexpr long kTextNewLabel = 1060;
constexpr int kNewNameLength = 15;

class NameDialog : public QDialog {
  public:
    NameDialog(QWidget* parent, editor::NewNameDialog& model) : QDialog(parent), model_(model) {
        setObjectName(QStringLiteral("frmNewName"));
        setWindowTitle(model_.lblTesta.empty() ? Text(kTextTitle) : Q(model_.lblTesta));

        auto* heading = new QLabel(Q(model_.lblTesta), this);
        heading->setObjectName(QStringLiteral("lblTesta"));
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        heading->setWordWrap(true);
        heading->setVisible(!model_.lblTesta.empty());

        auto* label = new QLabel(Q(model_.lblText), this);
        label->setObjectName(QStringLiteral("lblText"));
        label->setWordWrap(true);

        name_ = new QLineEdit(Q(model_.txtNome), this);
        name_->setObjectName(QStringLiteral("txtNome"));
        name_->setAccessibleName(Q(model_.lblText.empty() ? model_.lblTesta : model_.lblText));
        label->setBuddy(name_);
        // Every change, typed, pasted or dropped, goes through the model, which
        // cuts the text to its length in characters.
        connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { edited(t); });

        auto* purpose = new QLabel(Q(model_.lblOpe), this);
        purpose->setObjectName(QStringLiteral("lblOpe"));
        purpose->setVisible(false);

        auto* ok = new QPushButton(this);
        ok->setObjectName(QStringLiteral("cmdOK"));
        SetTextId(ok, kTextOk);
        auto* cancel = new QPushButton(this);
        cancel->setObjectName(QStringLiteral("cmdAnnulla"));
        SetTextId(cancel, kTextCancel);
        // Enter means OK wherever the focus is; the window handles it below.
        ok->setAutoDefault(false);
        cancel->setAutoDefault(false);
        connect(ok, &QPushButton::clicked, this, [this] {
            model_.Ok();
            follow();
        });
        connect(cancel, &QPushButton::clicked, this, [this] {
            model_.Cancel();
            follow();
        });

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(heading);
        layout->addWidget(label);
        layout->addWidget(name_);
        layout->addWidget(purpose);
        layout->addStretch(1);
        layout->addLayout(buttons);
        layout->setSizeConstraint(QLayout::SetMinimumSize);

        ApplyCaptions(this);
        name_->setFocus();
        name_->selectAll();
        model_.Confirmed = false;
        model_.Visible = true;
    }

    void reject() override {
        // The title bar's close is a Cancel.
        if (model_.Visible) model_.Cancel();
        follow();
    }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                model_.KeyPress(editor::kKeyEnter);
                break;
            case Qt::Key_Escape:
                model_.KeyPress(editor::kKeyEscape);
                break;
            default:
                QDialog::keyPressEvent(e);
                return;
        }
        e->accept();
        follow();
    }

  private:
    void edited(const QString& text) {
        model_.SetName(U(text));
        const QString kept = Q(model_.txtNome);
        if (kept == text) return;
        const int cursor = std::min(name_->cursorPosition(), int(kept.size()));
        name_->setText(kept);
        name_->setCursorPosition(cursor);
    }

    // Closes the window once the model has hidden itself; a refused OK leaves
    // it open with the focus back on the name.
    void follow() {
        if (model_.Visible) {
            name_->setFocus();
            return;
        }
        done(model_.Confirmed ? QDialog::Accepted : QDialog::Rejected);
    }

    editor::NewNameDialog& model_;
    QLineEdit* name_ = nullptr;
};

}  // namespace

std::optional<std::string> AskName(QWidget* parent, editor::NewNameDialog& model) {
    // The caller's text starts within the limit, as if it had been typed.
    model.SetName(model.txtNome);
    NameDialog dialog(parent, model);
    dialog.exec();
    if (!model.Confirmed) return std::nullopt;
    return model.Result();
}

std::optional<std::string> AskNewScenarioName(QWidget* parent) {
    editor::NewNameDialog model;
    model.maxLength = kNewNameLength;
    model.lblTesta = texts::GetText(kTextNewTitle);
    model.lblText = texts::GetText(kTextNewLabel);
    model.lblOpe = "NEWSCRIPT";
    return AskName(parent, model);
}

}  // namespace tessed::ui
