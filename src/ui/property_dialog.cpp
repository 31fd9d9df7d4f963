#include "ui/property_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "ui/chrome.h"
#include "ui/dialog_parts.h"

namespace tessed::ui {

using editor::PropRow;
using Field = editor::PropertyDialog::Field;

namespace {

// Texts of the window.
constexpr int kTitle = 1040;
constexpr int kWho = 1006;
constexpr int kDescription = 1014;
constexpr int kOk = 1004;
constexpr int kCancel = 1005;
constexpr int kHours = 1087, kMinutes = 1089, kSeconds = 1091;
constexpr int kValue = 1103, kTemperature = 1106, kProbe = 1107, kOperator = 1108;

// The caption each row shows when the model keeps the dialog's own.
constexpr std::array<int, editor::kPropRowCount> kOwnCaption = {
    1010, 1011, 1012, 1013, kTemperature, kProbe, 0, 0, 0, 0};

// Object names of the row captions, as the design names them.
constexpr std::array<const char*, editor::kPropRowCount> kCaptionName = {
    "lblCosa",  "lblDove", "lblLevel", "lblADDINT", "lblTemp",
    "lblSonda", "lblTime", "lblPos",   "lblPos",    "lblPos"};

// A spinner that shows its value in a form of the core's (the temperature).
class FormattedSpin : public QSpinBox {
  public:
    using QSpinBox::QSpinBox;
    std::function<QString(int)> format;

  protected:
    QString textFromValue(int v) const override {
        return format ? format(v) : QSpinBox::textFromValue(v);
    }
};

QComboBox* List(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    // Long lists (interfaces of four digits) must not be measured item by
    // item on every show.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(18);
    return c;
}

QLineEdit* Box(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QSpinBox* Spin(QSpinBox* s, const char* name) {
    s->setObjectName(QLatin1String(name));
    // The value changes through the arrows only, as the design's spinner
    // with its label.
    if (auto* e = s->findChild<QLineEdit*>()) e->setReadOnly(true);
    s->setAlignment(Qt::AlignRight);
    return s;
}

QLabel* Caption(QWidget* parent, const char* name, int textId = 0) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    if (textId) SetTextId(l, textId);
    return l;
}

void SetText(QLineEdit* e, const std::string& text) {
    const QString t = Q(text);
    if (e->text() != t) e->setText(t);
}

void MoveInto(QWidget* w, QWidget* row) {
    if (w->parentWidget() == row) return;
    if (QWidget* old = w->parentWidget(); old && old->layout()) old->layout()->removeWidget(w);
    static_cast<QBoxLayout*>(row->layout())->addWidget(w);
}

}  // namespace

PropertyDialogWindow::PropertyDialogWindow(editor::PropertyDialog& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("frmProp"));
    SetTextId(this, kTitle);
    setModal(true);
    // The design's form load, for a model its caller has not started.
    if (!model_.timerRunning && !model_.buttonsEnabled) model_.Form_Load();
    build();
    ApplyCaptions(this);
    refresh();
}

void PropertyDialogWindow::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);  // the height follows the buttons

    auto newRow = [&](const char* name) {
        auto* w = new QWidget(this);
        w->setObjectName(QLatin1String(name));
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(w);
        return w;
    };

    QWidget* who = newRow("rowChi");
    who->layout()->addWidget(Caption(who, "lblChiCaption", kWho));
    lblChi_ = Caption(who, "lblChi");
    who->layout()->addWidget(lblChi_);
    static_cast<QHBoxLayout*>(who->layout())->addStretch(1);

    QWidget* descri = newRow("rowDescri");
    QLabel* lblDescri = Caption(descri, "lblDescri", kDescription);
    txtDescri_ = Box(descri, "txtDescri");
    lblDescri->setBuddy(txtDescri_);
    SetAccessibleId(txtDescri_, kDescription);
    descri->layout()->addWidget(lblDescri);
    descri->layout()->addWidget(txtDescri_);

    const char* rowNames[] = {"rowCosa",  "rowDove", "rowLevel", "rowADDInt", "rowTemp",
                              "rowSonda", "rowTime", "rowPos8",  "rowPos9",   "rowPos10"};
    for (int i = 0; i < editor::kPropRowCount; ++i) {
        QWidget* r = newRow(rowNames[i]);
        rows_[size_t(i)] = r;
        QLabel* c = Caption(r, kCaptionName[size_t(i)]);
        if (i >= int(PropRow::kPos8)) c->setProperty("index", 8 + i - int(PropRow::kPos8));
        captions_[size_t(i)] = c;
        r->layout()->addWidget(c);
    }
    auto add = [&](PropRow r, QWidget* w, int stretch = 1) {
        static_cast<QBoxLayout*>(rows_[size_t(r)]->layout())->addWidget(w, stretch);
        captions_[size_t(r)]->setBuddy(w);
    };

    QWidget* rc = rows_[size_t(PropRow::kCosa)];
    txtKey_OPT_ = Box(rc, "txtKey_OPT");
    cmbCosa_ = List(rc, "cmbCosa");
    dtpTime_ = new QTimeEdit(rc);
    dtpTime_->setObjectName(QStringLiteral("dtpTime"));
    dtpTime_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    // The delay box takes a third of the row, the WHAT list two thirds.
    add(PropRow::kCosa, txtKey_OPT_, 1);
    add(PropRow::kCosa, cmbCosa_, 2);
    add(PropRow::kCosa, dtpTime_, 2);

    QWidget* rd = rows_[size_t(PropRow::kDove)];
    txtKey_OPT2_ = Box(rd, "txtKey_OPT2");
    cmbCosa2_ = List(rd, "cmbCosa2");
    cmbDove_ = List(rd, "cmbDove");
    txtDOVEPI_ = Box(rd, "txtDOVEPI");
    upDownDovePI_ = new QWidget(rd);
    upDownDovePI_->setObjectName(QStringLiteral("UpDownDovePI"));
    {
        auto* v = new QVBoxLayout(upDownDovePI_);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        dovePIUp_ = new QToolButton(upDownDovePI_);
        dovePIUp_->setArrowType(Qt::UpArrow);
        dovePIDown_ = new QToolButton(upDownDovePI_);
        dovePIDown_->setArrowType(Qt::DownArrow);
        for (QToolButton* b : {dovePIUp_, dovePIDown_}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);  // the box takes the arrow keys
            b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
            v->addWidget(b);
        }
    }
    add(PropRow::kDove, txtKey_OPT2_, 1);
    add(PropRow::kDove, cmbCosa2_, 2);
    add(PropRow::kDove, cmbDove_, 2);
    add(PropRow::kDove, txtDOVEPI_, 2);
    add(PropRow::kDove, upDownDovePI_, 0);

    cmbLevel_ = List(rows_[size_t(PropRow::kLevel)], "cmbLevel");
    add(PropRow::kLevel, cmbLevel_);
    cmbADDInt_ = List(rows_[size_t(PropRow::kAddInt)], "cmbADDInt");
    add(PropRow::kAddInt, cmbADDInt_);

    QWidget* rt = rows_[size_t(PropRow::kTemp)];
    cmbOperatorTemp_ = List(rt, "cmbOperatorTemp");
    cmbOperatorTemp_->setMinimumContentsLength(3);
    auto* temp = new FormattedSpin(rt);
    temp->format = [this](int v) {
        return model_.lblTempVVisible ? Q(editor::TemperatureText(v)) : QString::number(v);
    };
    upDownTemp_ = Spin(temp, "UpDownTemp");
    add(PropRow::kTemp, cmbOperatorTemp_);
    add(PropRow::kTemp, upDownTemp_);

    duration_ = new QWidget(rt);
    duration_->setObjectName(QStringLiteral("duration"));
    {
        auto* h = new QHBoxLayout(duration_);
        h->setContentsMargins(0, 0, 0, 0);
        lblHour_ = Caption(duration_, "lblHour", kHours);
        upDownHour_ = Spin(new QSpinBox(duration_), "UpDownHour");
        lblMin_ = Caption(duration_, "lblMin", kMinutes);
        upDownMin_ = Spin(new QSpinBox(duration_), "UpDownMin");
        lblSec_ = Caption(duration_, "lblSec", kSeconds);
        upDownSec_ = Spin(new QSpinBox(duration_), "UpDownSec");
        for (auto [l, s] :
             {std::pair{lblHour_, upDownHour_}, {lblMin_, upDownMin_}, {lblSec_, upDownSec_}}) {
            l->setBuddy(s);
            h->addWidget(l);
            h->addWidget(s);
        }
    }
    add(PropRow::kTemp, duration_, 0);

    QWidget* rs = rows_[size_t(PropRow::kSonda)];
    cmbSonda_ = List(rs, "cmbSonda");
    txtValue_ = Box(rs, "txtValue");
    add(PropRow::kSonda, cmbSonda_);
    add(PropRow::kSonda, txtValue_);

    for (int i = 0; i < 3; ++i) {
        const auto r = PropRow(int(PropRow::kPos8) + i);
        cmbPos_[size_t(i)] = List(rows_[size_t(r)], "cmbPos");
        cmbPos_[size_t(i)]->setProperty("index", 8 + i);
        add(r, cmbPos_[size_t(i)]);
    }

    buttons_ = newRow("rowButtons");
    auto* bl = static_cast<QHBoxLayout*>(buttons_->layout());
    bl->addStretch(1);
    auto* ok = new QPushButton(buttons_);
    ok->setObjectName(QStringLiteral("cmdOK"));
    SetTextId(ok, kOk);
    auto* cancel = new QPushButton(buttons_);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    SetTextId(cancel, kCancel);
    for (QPushButton* b : {ok, cancel}) {
        b->setAutoDefault(false);  // Enter goes to the model, which knows the guard
        bl->addWidget(b);
    }
    cmdOK_ = ok;
    cmdAnnulla_ = cancel;

    // ---------------------------------------------------------------- forwarding
    auto onList = [this](QComboBox* c, auto handler) {
        connect(c, &QComboBox::currentIndexChanged, this,
                [this, handler](int i) { forward([&] { handler(i); }); });
    };
    onList(cmbCosa_, [this](int i) { model_.SelectCosa(i); });
    onList(cmbDove_, [this](int i) { model_.SelectDove(i); });
    onList(cmbLevel_, [this](int i) { model_.SelectLevel(i); });
    onList(cmbADDInt_, [this](int i) { model_.SelectAddInt(i); });
    onList(cmbCosa2_, [this](int i) { model_.cmbCosa2.setIndex(i); });
    onList(cmbOperatorTemp_, [this](int i) { model_.cmbOperatorTemp.setIndex(i); });
    onList(cmbSonda_, [this](int i) { model_.cmbSonda.setIndex(i); });
    for (size_t k = 0; k < 3; ++k)
        onList(cmbPos_[k], [this, k](int i) { model_.cmbPos[k].setIndex(i); });

    auto onText = [this](QLineEdit* e, editor::TextBox& box) {
        connect(e, &QLineEdit::textChanged, this,
                [this, &box](const QString& t) { forward([&] { box.text = U(t); }); });
    };
    onText(txtDescri_, model_.txtDescri);
    onText(txtKey_OPT_, model_.txtKey_OPT);
    onText(txtKey_OPT2_, model_.txtKey_OPT2);
    onText(txtValue_, model_.txtValue);
    onText(txtDOVEPI_, model_.txtDOVEPI);
    connect(dovePIUp_, &QToolButton::clicked, this, [this] {
        forward([&] { model_.UpDownDovePI_Change(model_.UpDownDovePI.value + 1); });
    });
    connect(dovePIDown_, &QToolButton::clicked, this, [this] {
        forward([&] { model_.UpDownDovePI_Change(model_.UpDownDovePI.value - 1); });
    });

    connect(upDownTemp_, &QSpinBox::valueChanged, this,
            [this](int v) { forward([&] { model_.SetTemperature(v); }); });
    auto onSpin = [this](QSpinBox* s, editor::Spinner& sp) {
        connect(s, &QSpinBox::valueChanged, this,
                [this, &sp](int v) { forward([&] { sp.set(v); }); });
    };
    onSpin(upDownHour_, model_.UpDownHour);
    onSpin(upDownMin_, model_.UpDownMin);
    onSpin(upDownSec_, model_.UpDownSec);
    connect(dtpTime_, &QTimeEdit::timeChanged, this, [this](QTime t) {
        forward([&] { model_.dtpTime = {t.hour(), t.minute(), t.second()}; });
    });

    connect(ok, &QPushButton::clicked, this, [this] { forward([&] { model_.cmdOK(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { forward([&] { model_.cmdAnnulla(); }); });

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

template <class F>
void PropertyDialogWindow::forward(F&& handler) {
    if (closing_) return;
    handler();
    refresh();
    closeWhenHidden();
}

void PropertyDialogWindow::closeWhenHidden() {
    if (model_.Visible || closing_ || !isVisible()) return;
    closing_ = true;
    done(model_.Confirmed ? Accepted : Rejected);
}

void PropertyDialogWindow::refresh() {
    const editor::PropertyDialog& m = model_;
    const QSignalBlocker b1(txtDescri_), b2(txtKey_OPT_), b3(txtKey_OPT2_), b4(txtValue_),
        b5(txtDOVEPI_), b6(upDownTemp_), b7(upDownHour_), b8(upDownMin_), b9(upDownSec_),
        b10(dtpTime_);

    lblChi_->setText(Q(m.lblChi));
    lblChi_->setProperty("tag", qlonglong(m.lblChiTag));

    // Rows and their captions.
    std::array<editor::CaptionId, editor::kPropRowCount> caps = {
        m.lblCosa,  m.lblDove,           m.lblLevel,  m.lblADDINT, m.lblTemp,
        m.lblSonda, editor::CaptionId{}, m.lblPos[0], m.lblPos[1], m.lblPos[2]};
    // The hour spinner's caption stands in the time row when there is no
    // position row to hold it (object 56).
    if (!m.RowVisible(PropRow::kPos8)) caps[size_t(PropRow::kTime)] = m.lblPos[0];
    int captionWidth = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const bool on = m.RowVisible(PropRow(i));
        rows_[i]->setVisible(on);
        const int id = caps[i].id == 0 ? kOwnCaption[i] : caps[i].id;
        captions_[i]->setText(id > 0 ? Text(id) : QString());
        if (on) captionWidth = std::max(captionWidth, captions_[i]->sizeHint().width());
    }
    captions_[size_t(PropRow::kTemp)]->setAlignment(
        (m.lblTempCentred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    // Captions line up in one column as wide as the widest one shown.
    for (QLabel* c : captions_) c->setMinimumWidth(captionWidth);

    // Where the shared inputs stand.
    const bool timeRow = m.RowVisible(PropRow::kTime);
    MoveInto(duration_, rows_[size_t(timeRow ? PropRow::kTime : PropRow::kTemp)]);
    const bool probeRow = m.RowVisible(PropRow::kSonda);
    MoveInto(txtValue_, rows_[size_t(probeRow ? PropRow::kSonda : PropRow::kTemp)]);

    // Lists.
    auto list = [](QComboBox* c, const editor::ListBox& l) {
        ShowList(c, l);
        c->setVisible(l.visible);
        PaintInput(c, editor::InputColour(l.enabled));
    };
    list(cmbCosa_, m.cmbCosa);
    list(cmbCosa2_, m.cmbCosa2);
    list(cmbDove_, m.cmbDove);
    list(cmbLevel_, m.cmbLevel);
    list(cmbADDInt_, m.cmbADDInt);
    list(cmbOperatorTemp_, m.cmbOperatorTemp);
    list(cmbSonda_, m.cmbSonda);
    for (size_t k = 0; k < 3; ++k) list(cmbPos_[k], m.cmbPos[k]);

    // Text boxes.
    auto box = [&](QLineEdit* e, const editor::TextBox& t, Field f) {
        SetText(e, t.text);
        e->setMaxLength(t.maxLength > 0 ? t.maxLength : 32767);
        e->setVisible(t.visible);
        e->setEnabled(t.enabled);
        PaintInput(e, editor::InputColour(t.enabled));
        const bool digits = m.DigitsOnly(f);
        if (digits != (e->validator() != nullptr))
            e->setValidator(digits ? DigitsValidator(e) : nullptr);
    };
    box(txtDescri_, m.txtDescri, Field::kDescri);
    box(txtKey_OPT_, m.txtKey_OPT, Field::kKeyOpt);
    box(txtKey_OPT2_, m.txtKey_OPT2, Field::kKeyOpt2);
    box(txtValue_, m.txtValue, Field::kValue);
    box(txtDOVEPI_, m.txtDOVEPI, Field::kDOVEPI);
    upDownDovePI_->setVisible(m.UpDownDovePI.visible);
    dtpTime_->setVisible(m.dtpTimeVisible);
    dtpTime_->setTime(QTime(m.dtpTime.hour, m.dtpTime.minute, m.dtpTime.second));

    // Spinners.
    auto spin = [](QSpinBox* s, const editor::Spinner& sp) {
        s->setRange(sp.min, sp.max);
        s->setValue(sp.value);
        s->setVisible(sp.visible);
        s->setEnabled(sp.enabled);
        PaintInput(s, editor::InputColour(sp.enabled));
    };
    spin(upDownTemp_, m.UpDownTemp);
    spin(upDownHour_, m.UpDownHour);
    spin(upDownMin_, m.UpDownMin);
    spin(upDownSec_, m.UpDownSec);
    lblHour_->setVisible(m.UpDownHour.visible);
    lblMin_->setVisible(m.UpDownMin.visible);
    lblSec_->setVisible(m.UpDownSec.visible);
    duration_->setVisible(m.UpDownHour.visible || m.UpDownMin.visible || m.UpDownSec.visible);

    // Accessible names: the caption of the row, or what the input holds when
    // the row's caption is empty.
    auto name = [&](QWidget* w, PropRow r, int own) {
        const QString c = captions_[size_t(r)]->text();
        w->setAccessibleName(c.isEmpty() ? Text(own) : c);
    };
    name(cmbCosa_, PropRow::kCosa, 1010);
    name(dtpTime_, PropRow::kCosa, 88);
    name(txtKey_OPT_, PropRow::kCosa, 1010);
    name(cmbDove_, PropRow::kDove, 1011);
    name(cmbCosa2_, PropRow::kDove, 1010);
    name(txtKey_OPT2_, PropRow::kDove, 1011);
    name(txtDOVEPI_, PropRow::kDove, 1011);
    name(cmbLevel_, PropRow::kLevel, 1012);
    name(cmbADDInt_, PropRow::kAddInt, 1013);
    cmbOperatorTemp_->setAccessibleName(Text(kOperator));
    name(upDownTemp_, PropRow::kTemp, kTemperature);
    name(cmbSonda_, PropRow::kSonda, kProbe);
    txtValue_->setAccessibleName(Text(kValue));
    for (int i = 0; i < 3; ++i) name(cmbPos_[size_t(i)], PropRow(int(PropRow::kPos8) + i), 1103);
    for (auto [s, id] :
         {std::pair{upDownHour_, kHours}, {upDownMin_, kMinutes}, {upDownSec_, kSeconds}})
        s->setAccessibleName(Text(id));

    cmdOK_->setEnabled(m.buttonsEnabled);
    cmdAnnulla_->setEnabled(m.buttonsEnabled);

    // Tab order: top to bottom as shown.
    QWidget* order[] = {txtDescri_,       txtKey_OPT_, cmbCosa_,    dtpTime_,   txtKey_OPT2_,
                        cmbCosa2_,        cmbDove_,    txtDOVEPI_,  cmbLevel_,  cmbADDInt_,
                        cmbOperatorTemp_, upDownTemp_, upDownHour_, upDownMin_, upDownSec_,
                        cmbSonda_,        txtValue_,   cmbPos_[0],  cmbPos_[1], cmbPos_[2],
                        cmdOK_,           cmdAnnulla_};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

editor::PropertyDialog::Field PropertyDialogWindow::fieldOf(QObject* o) const {
    if (o == txtDescri_) return Field::kDescri;
    if (o == txtDOVEPI_) return Field::kDOVEPI;
    if (o == txtValue_) return Field::kValue;
    if (o == txtKey_OPT_) return Field::kKeyOpt;
    if (o == txtKey_OPT2_) return Field::kKeyOpt2;
    return Field::kForm;
}

bool PropertyDialogWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        if (const int key = ModelKey(static_cast<QKeyEvent*>(e))) {
            // The model decides; the box never sees Enter (no character).
            forward([&] { model_.KeyPress(fieldOf(watched), key); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void PropertyDialogWindow::keyPressEvent(QKeyEvent* e) {
    if (const int key = ModelKey(e)) {
        forward([&] { model_.KeyPress(Field::kForm, key); });
        return;
    }
    QDialog::keyPressEvent(e);
}

void PropertyDialogWindow::reject() {
    // The window's own close: Cancel.
    if (closing_) return QDialog::reject();
    forward([&] { model_.cmdAnnulla(); });
}

void PropertyDialogWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The start-up guard: the buttons wait for one turn of the event loop.
    if (model_.timerRunning)
        QTimer::singleShot(0, this, [this] { forward([&] { model_.Timer1_Timer(); }); });
}

bool ShowPropertyDialog(QWidget* parent, editor::PropertyDialog& model) {
    model.Visible = true;
    PropertyDialogWindow w(model, parent);
    const int r = w.exec();
    model.Visible = false;
    return r == QDialog::Accepted && model.Confirmed;
}

}  // namespace tessed::ui

// The meta-object code of this file's own classes, kept in this object.
#include "moc_property_dialog.cpp"
