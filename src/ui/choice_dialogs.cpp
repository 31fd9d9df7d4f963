#include "ui/choice_dialogs.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/chrome.h"
#include "ui/dialog_parts.h"

namespace tessed::ui {

namespace {
constexpr int kOk = 1004, kCancel = 1005;
constexpr int kOperatorTitle = 1057, kOperatorPrompt = 1058;
constexpr int kAmbiguityTitle = 1061, kAmbiguityHead = 1674, kAmbiguityPrompt = 1063;
// The gap between the mark and the window.
constexpr int kGap = 4;
}  // namespace

ChoiceWindow::ChoiceWindow(editor::ChoiceDialog& model, editor::ChoiceList& list, const char* name,
                           const char* listName, QWidget* parent)
    : QDialog(parent), model_(model), choices_(list) {
    setObjectName(QLatin1String(name));
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    lblTesta_ = new QLabel(this);
    lblTesta_->setObjectName(QStringLiteral("lblTesta"));
    lblTesta_->setWordWrap(true);
    lblText_ = new QLabel(this);
    lblText_->setObjectName(QStringLiteral("lblText"));
    lblText_->setWordWrap(true);
    list_ = new QComboBox(this);
    list_->setObjectName(QLatin1String(listName));
    lblText_->setBuddy(list_);
    outer->addWidget(lblTesta_);
    outer->addWidget(lblText_);
    outer->addWidget(list_);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok_ = new ImageButtonWidget(this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    SetTextId(ok_, kOk);
    cancel_ = new ImageButtonWidget(this);
    cancel_->setObjectName(QStringLiteral("cmdAnnulla"));
    SetTextId(cancel_, kCancel);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    outer->addLayout(row);

    connect(list_, &QComboBox::currentIndexChanged, this,
            [this](int i) { forward([&] { choices_.setIndex(i); }); });
    ok_->onPress = [this] { forward([&] { model_.PressOk(); }); };
    ok_->onRelease = [this](int x, int y, int w, int h) {
        forward([&] { model_.ReleaseOk(x, y, w, h); });
    };
    cancel_->onPress = [this] { forward([&] { model_.PressCancel(); }); };
    cancel_->onRelease = [this](int x, int y, int w, int h) {
        forward([&] { model_.ReleaseCancel(x, y, w, h); });
    };
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

template <class F>
void ChoiceWindow::forward(F&& handler) {
    if (closing_) return;
    handler();
    refresh();
    if (!model_.Visible && isVisible()) {
        closing_ = true;
        done(model_.Confirmed ? Accepted : Rejected);
    }
}

void ChoiceWindow::refresh() {
    ShowList(list_, choices_);
    ok_->setDown(model_.cmdOK.pressed);
    cancel_->setDown(model_.cmdAnnulla.pressed);
}

bool ChoiceWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress)
        if (const int key = ModelKey(static_cast<QKeyEvent*>(e))) {
            forward([&] { model_.KeyPress(key); });
            return true;
        }
    return QDialog::eventFilter(watched, e);
}

void ChoiceWindow::keyPressEvent(QKeyEvent* e) {
    if (const int key = ModelKey(e)) return forward([&] { model_.KeyPress(key); });
    QDialog::keyPressEvent(e);
}

void ChoiceWindow::reject() {
    // The window's own close: Cancel.
    if (closing_) return QDialog::reject();
    forward([&] { model_.Cancel(); });
}

OperatorWindow::OperatorWindow(editor::OperatorDialog& model, QWidget* parent)
    : ChoiceWindow(model, model.cmbOperatore, "frmOpe", "cmbOperatore", parent) {
    SetTextId(this, kOperatorTitle);
    lblTesta_->hide();
    SetTextId(lblText_, kOperatorPrompt);
    ApplyCaptions(this);
    list()->setAccessibleName(lblText_->text());
    refresh();
}

void OperatorWindow::placeBeside(const QRect& mark) {
    adjustSize();
    const QSize size = frameGeometry().size();
    QPoint at(mark.right() + 1 + kGap, mark.top());
    if (QScreen* s = QGuiApplication::screenAt(mark.center())) {
        const QRect screen = s->availableGeometry();
        if (at.x() + size.width() > screen.right() + 1) at.setX(mark.left() - kGap - size.width());
        at.setX(std::clamp(at.x(), screen.left(),
                           std::max(screen.left(), screen.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), screen.top(),
                           std::max(screen.top(), screen.bottom() + 1 - size.height())));
    }
    move(at);
}

AmbiguityWindow::AmbiguityWindow(editor::AmbiguityDialog& model, QWidget* parent)
    : ChoiceWindow(model, model.cmbAmbiguo, "frmSelectAmbiguo", "cmbAmbiguo", parent) {
    SetTextId(this, kAmbiguityTitle);
    SetTextId(lblTesta_, kAmbiguityHead);
    SetTextId(lblText_, kAmbiguityPrompt);
    ApplyCaptions(this);
    list()->setAccessibleName(lblText_->text());
    refresh();
}

bool ShowOperatorDialog(QWidget* parent, editor::OperatorDialog& model, const QRect& mark) {
    model.Visible = true;
    OperatorWindow w(model, parent);
    w.placeBeside(mark);
    const int r = w.exec();
    model.Visible = false;
    return r == QDialog::Accepted && model.Confirmed;
}

bool ShowAmbiguityDialog(QWidget* parent, editor::AmbiguityDialog& model) {
    model.Visible = true;
    AmbiguityWindow w(model, parent);
    const int r = w.exec();
    model.Visible = false;
    return r == QDialog::Accepted && model.Confirmed;
}

}  // namespace tessed::ui

// The meta-object code of this file's own classes, kept in this object.
#include "moc_choice_dialogs.cpp"
