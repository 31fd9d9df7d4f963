#include "ui/time_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "editor/property_dialog.h"
#include "ui/chrome.h"
#include "ui/dialog_parts.h"

namespace tessed::ui {

namespace {

constexpr int kRangeTitle = 1041, kSingleTitle = 1042;
constexpr int kWho = 1006;
constexpr int kOneHour = 1043, kBand = 1044, kAnyHour = 1045;
constexpr int kWeekdays = 1046, kPeriod = 1047, kAllYear = 1048;
constexpr int kFromDate = 1049, kToDate = 1050, kFrom = 1051, kUntil = 1052;
constexpr int kMonday = 1068;
constexpr int kDay = 1082, kMonth = 1083, kYear = 1085;
constexpr int kHours = 1087, kMinutes = 1089;
constexpr int kDate = 1109, kTime = 1110;
constexpr int kOk = 1004, kCancel = 1005;

QLabel* Label(QWidget* parent, const char* name, int textId = 0) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    if (textId) SetTextId(l, textId);
    return l;
}

QComboBox* List(QWidget* parent, const char* name, QString accessible) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setAccessibleName(accessible);
    return c;
}

QTimeEdit* Picker(QWidget* parent, const char* name, int textId) {
    auto* t = new QTimeEdit(parent);
    t->setObjectName(QLatin1String(name));
    t->setDisplayFormat(QStringLiteral("HH:mm"));
    SetAccessibleId(t, textId);
    return t;
}

// The WHO caption at the top, as the property dialog shows it.
QLabel* WhoRow(QDialog* d, QVBoxLayout* outer) {
    auto* row = new QHBoxLayout;
    row->addWidget(Label(d, "lblChiCaption", kWho));
    QLabel* chi = Label(d, "lblChi");
    row->addWidget(chi, 1);
    outer->addLayout(row);
    return chi;
}

// OK and Cancel at the bottom right; Enter and Escape reach the window, not
// the buttons.
std::pair<QPushButton*, QPushButton*> Buttons(QDialog* d, QVBoxLayout* outer) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(d);
    ok->setObjectName(QStringLiteral("cmdOK"));
    SetTextId(ok, kOk);
    auto* cancel = new QPushButton(d);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    SetTextId(cancel, kCancel);
    for (QPushButton* b : {ok, cancel}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    outer->addLayout(row);
    return {ok, cancel};
}

QTime ToQTime(const editor::TimeOfDay& t) { return QTime(t.hour, t.minute); }

}  // namespace

// ---------------------------------------------------------------- range

// ---------------------------------------------------------------- shared

void TimeWindowBase::ok() {
    if (confirm()) accept();
}

void TimeWindowBase::key(int code) {
    if (code == editor::kKeyEnter) ok();
    if (code == editor::kKeyEscape) reject();
}

bool TimeWindowBase::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress)
        if (const int code = ModelKey(static_cast<QKeyEvent*>(e))) {
            key(code);
            return true;
        }
    return QDialog::eventFilter(watched, e);
}

void TimeWindowBase::keyPressEvent(QKeyEvent* e) {
    if (const int code = ModelKey(e)) return key(code);
    QDialog::keyPressEvent(e);
}

TimeRangeWindow::TimeRangeWindow(editor::TimeRangeDialog& model, db::Database& db, QWidget* parent)
    : TimeWindowBase(parent), model_(model), db_(db) {
    setObjectName(QStringLiteral("frmTime"));
    SetTextId(this, kRangeTitle);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    lblChi_ = WhoRow(this, outer);

    // Hours.
    auto* hours = new QGroupBox(this);
    hours->setObjectName(QStringLiteral("fraOra"));
    SetTextId(hours, kHours);
    auto* hg = new QGridLayout(hours);
    const int hourTexts[] = {kOneHour, kBand, kAnyHour};
    auto* hourGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(hours);
        r->setObjectName(QStringLiteral("optOra"));
        r->setProperty("index", i);
        SetTextId(r, hourTexts[i]);
        hourGroup->addButton(r, i);
        hg->addWidget(r, i, 0);
        optOra_[size_t(i)] = r;
    }
    dtpDaOra_ = Picker(hours, "dtpDaOra", kFrom);
    dtpAOra_ = Picker(hours, "DTPAOra", kUntil);
    QLabel* from = Label(hours, "lblDaOra", kFrom);
    QLabel* until = Label(hours, "lblAOra", kUntil);
    from->setBuddy(dtpDaOra_);
    until->setBuddy(dtpAOra_);
    hg->addWidget(from, 0, 1);
    hg->addWidget(dtpDaOra_, 0, 2);
    hg->addWidget(until, 1, 1);
    hg->addWidget(dtpAOra_, 1, 2);
    outer->addWidget(hours);

    // Weekdays.
    auto* week = new QGroupBox(this);
    week->setObjectName(QStringLiteral("fraSett"));
    SetTextId(week, kWeekdays);
    auto* wg = new QGridLayout(week);
    for (int i = 0; i < 7; ++i) {
        auto* c = new QCheckBox(week);
        c->setObjectName(QStringLiteral("chkSett"));
        c->setProperty("index", i);
        SetTextId(c, kMonday + i);
        wg->addWidget(c, i / 4, i % 4);
        chkSett_[size_t(i)] = c;
    }
    outer->addWidget(week);

    // Dates.
    auto* dates = new QGroupBox(this);
    dates->setObjectName(QStringLiteral("fraDay"));
    SetTextId(dates, kPeriod);
    auto* dg = new QGridLayout(dates);
    auto* dayGroup = new QButtonGroup(this);
    const int dayTexts[] = {kAllYear, kPeriod};
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(dates);
        r->setObjectName(QStringLiteral("optDay"));
        r->setProperty("index", i);
        SetTextId(r, dayTexts[i]);
        dayGroup->addButton(r, i);
        dg->addWidget(r, 0, 2 * i, 1, 2);
        optDay_[size_t(i)] = r;
    }
    const char* names[] = {"cmbDFrom", "cmbMFrom", "cmbYFROM", "cmbDTo", "cmbMTo", "cmbYTo"};
    const int parts[] = {kDay, kMonth, kYear};
    for (int i = 0; i < 6; ++i) {
        const QString name =
            Text(i < 3 ? kFromDate : kToDate) + QLatin1Char(' ') + Text(parts[i % 3]);
        dates_[size_t(i)] = List(dates, names[i], name);
    }
    dg->addWidget(Label(dates, "lblDFrom", kFromDate), 1, 0);
    dg->addWidget(Label(dates, "lblDTo", kToDate), 2, 0);
    for (int i = 0; i < 6; ++i) dg->addWidget(dates_[size_t(i)], 1 + i / 3, 1 + i % 3);
    outer->addWidget(dates);

    auto [ok, cancel] = Buttons(this, outer);

    // Forwarding.
    connect(hourGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on) return;
        model_.setHourMode(editor::TimeRangeDialog::HourMode(id));
        refresh();
    });
    connect(dayGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on) return;
        model_.setDayMode(editor::TimeRangeDialog::DayMode(id));
        refresh();
        // Choosing a range goes on with its first list.
        if (id == editor::TimeRangeDialog::kDateRange) dates_[0]->setFocus(Qt::OtherFocusReason);
    });
    connect(dtpDaOra_, &QTimeEdit::timeChanged, this, [this](QTime t) {
        model_.from = {t.hour(), t.minute()};
        refresh();
    });
    connect(dtpAOra_, &QTimeEdit::timeChanged, this, [this](QTime t) {
        model_.to = {t.hour(), t.minute()};
        refresh();
    });
    for (int i = 0; i < 7; ++i)
        connect(chkSett_[size_t(i)], &QCheckBox::toggled, this, [this, i](bool on) {
            model_.setWeekday(i, on);
            refresh();
        });
    editor::ChoiceList* lists[] = {&model_.dayFrom, &model_.monthFrom, &model_.yearFrom,
                                   &model_.dayTo,   &model_.monthTo,   &model_.yearTo};
    for (int i = 0; i < 6; ++i)
        connect(dates_[size_t(i)], &QComboBox::currentIndexChanged, this,
                [this, l = lists[i]](int index) {
                    l->setIndex(index);
                    refresh();
                });
    connect(ok, &QPushButton::clicked, this, [this] { this->ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    ApplyCaptions(this);
    refresh();
}

void TimeRangeWindow::refresh() {
    const editor::TimeRangeDialog& m = model_;
    lblChi_->setText(Q(m.who.caption));
    lblChi_->setProperty("tag", qlonglong(m.who.whoCode));
    for (size_t i = 0; i < optOra_.size(); ++i) {
        const QSignalBlocker b(optOra_[i]);
        optOra_[i]->setChecked(int(i) == int(m.hourMode()));
    }
    for (size_t i = 0; i < optDay_.size(); ++i) {
        const QSignalBlocker b(optDay_[i]);
        optDay_[i]->setChecked(int(i) == int(m.dayMode()));
    }
    {
        const QSignalBlocker b1(dtpDaOra_), b2(dtpAOra_);
        dtpDaOra_->setTime(ToQTime(m.from));
        dtpAOra_->setTime(ToQTime(m.to));
        dtpDaOra_->setEnabled(m.fromPickerEnabled());
        dtpAOra_->setEnabled(m.toPickerEnabled());
        PaintInput(dtpDaOra_, editor::InputColour(m.fromPickerEnabled()));
        PaintInput(dtpAOra_, editor::InputColour(m.toPickerEnabled()));
    }
    for (int i = 0; i < 7; ++i) {
        QCheckBox* c = chkSett_[size_t(i)];
        const QSignalBlocker b(c);
        c->setChecked(m.weekday(i));
        PaintInput(c, m.weekdayColour(i));
    }
    const editor::ChoiceList* lists[] = {&m.dayFrom, &m.monthFrom, &m.yearFrom,
                                         &m.dayTo,   &m.monthTo,   &m.yearTo};
    for (int i = 0; i < 6; ++i) {
        ShowList(dates_[size_t(i)], *lists[i]);
        PaintInput(dates_[size_t(i)], editor::InputColour(lists[i]->enabled));
    }
}

bool TimeRangeWindow::confirm() { return model_.Ok(db_); }

// ---------------------------------------------------------------- single moment

TimeSingleWindow::TimeSingleWindow(editor::TimeSingleDialog& model, db::Database& db,
                                   QWidget* parent)
    : TimeWindowBase(parent), model_(model), db_(db) {
    setObjectName(QStringLiteral("frmTimeSingle"));
    SetTextId(this, kSingleTitle);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    lblChi_ = WhoRow(this, outer);

    auto* grid = new QGridLayout;
    const char* names[] = {"cmbHH", "cmbMM", "cmbD", "cmbM", "cmbY"};
    const int parts[] = {kHours, kMinutes, kDay, kMonth, kYear};
    for (int i = 0; i < 5; ++i) lists_[size_t(i)] = List(this, names[i], Text(parts[i]));
    QLabel* time = Label(this, "lblTime", kTime);
    QLabel* date = Label(this, "lblDate", kDate);
    time->setBuddy(lists_[0]);
    date->setBuddy(lists_[2]);
    grid->addWidget(time, 0, 0);
    grid->addWidget(lists_[0], 0, 1);
    grid->addWidget(lists_[1], 0, 2);
    grid->addWidget(date, 1, 0);
    for (int i = 2; i < 5; ++i) grid->addWidget(lists_[size_t(i)], 1, i - 1);
    outer->addLayout(grid);
    auto [ok, cancel] = Buttons(this, outer);

    editor::ChoiceList* lists[] = {&model_.hour, &model_.minute, &model_.day, &model_.month,
                                   &model_.year};
    for (int i = 0; i < 5; ++i)
        connect(lists_[size_t(i)], &QComboBox::currentIndexChanged, this,
                [this, l = lists[i]](int index) {
                    l->setIndex(index);
                    refresh();
                });
    connect(ok, &QPushButton::clicked, this, [this] { this->ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    ApplyCaptions(this);
    refresh();
}

void TimeSingleWindow::refresh() {
    lblChi_->setText(Q(model_.who.caption));
    lblChi_->setProperty("tag", qlonglong(model_.who.whoCode));
    const editor::ChoiceList* lists[] = {&model_.hour, &model_.minute, &model_.day, &model_.month,
                                         &model_.year};
    for (int i = 0; i < 5; ++i) ShowList(lists_[size_t(i)], *lists[i]);
}

bool TimeSingleWindow::confirm() { return model_.Ok(db_); }

bool ShowTimeRangeDialog(QWidget* parent, editor::TimeRangeDialog& model, db::Database& db) {
    TimeRangeWindow w(model, db, parent);
    return w.exec() == QDialog::Accepted && model.Confirmed;
}

bool ShowTimeSingleDialog(QWidget* parent, editor::TimeSingleDialog& model, db::Database& db) {
    TimeSingleWindow w(model, db, parent);
    return w.exec() == QDialog::Accepted && model.Confirmed;
}

}  // namespace tessed::ui

// The meta-object code of this file's own classes, kept in this object.
#include "moc_time_dialog.cpp"
