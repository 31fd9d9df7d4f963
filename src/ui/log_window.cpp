// frmLog: the window of one compile run. The run works on a thread of its own
// and reports through an observer that copies every line into a queued signal,
// so the window's thread only ever shows what has happened. The window cannot
// be closed while its run goes on: closing it then would leave a run without
// anyone to report to, or a caller resuming while its scenarios still compile.
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

#include "compiler/compile_run.h"
#include "configurator/preparation.h"
#include "env/strings.h"
#include "env/texts.h"
#include "ui/chrome.h"
#include "ui/dialogs.h"

namespace tessed::ui {

namespace {

constexpr long kTextTitle = 1002;
constexpr long kTextWindow = 1064;
constexpr long kTextClose = 1066;
constexpr long kTextCompileOne = 1631;
constexpr long kTextCompileAll = 1632;
constexpr long kTextConfigurator = 1633;
constexpr long kTextStop = 1636;

long ActionText(const std::string& mode) {
    const std::string m = str::ToUpper(mode);
    if (m == "COMPILE") return kTextCompileOne;
    if (m == "COMPILEALL") return kTextCompileAll;
    if (m == "LEXORA") return kTextConfigurator;
    return 0;
}

class LogWindow : public QDialog {
    Q_OBJECT

  public:
    LogWindow(QWidget* parent, compiler::CompileRun& run)
        : QDialog(parent), run_(run), observer_(*this) {
        setObjectName(QStringLiteral("frmLog"));
        SetTextId(this, kTextWindow);

        action_ = new QLabel(this);
        action_->setObjectName(QStringLiteral("lblAction"));
        if (long id = ActionText(run_.mode())) SetTextId(action_, id);
        QFont bold = action_->font();
        bold.setBold(true);
        action_->setFont(bold);

        list_ = new QListWidget(this);
        list_->setObjectName(QStringLiteral("LW1"));
        list_->setSelectionMode(QAbstractItemView::NoSelection);
        list_->setUniformItemSizes(true);
        list_->setMinimumSize(list_->fontMetrics().averageCharWidth() * 60,
                              list_->fontMetrics().height() * 12);
        SetAccessibleId(list_, kTextWindow);

        progress_ = new QProgressBar(this);
        progress_->setObjectName(QStringLiteral("ProgressBar1"));
        progress_->setRange(0, 1);
        progress_->setValue(0);
        SetAccessibleId(progress_, kTextWindow);

        last_ = new QLabel(this);
        last_->setObjectName(QStringLiteral("lblLog"));
        last_->setWordWrap(true);
        last_->setTextFormat(Qt::PlainText);

        ok_ = new QPushButton(this);
        ok_->setObjectName(QStringLiteral("cmdOK"));
        SetTextId(ok_, kTextClose);
        ok_->setEnabled(false);
        ok_->setAutoDefault(false);
        connect(ok_, &QPushButton::clicked, this, &LogWindow::accept);

        stop_ = new QPushButton(this);
        stop_->setObjectName(QStringLiteral("cmdAnnulla"));
        SetTextId(stop_, kTextStop);
        stop_->setAutoDefault(false);
        // The configurator's start is one step; only compiles can stop early.
        stop_->setVisible(str::ToUpper(run_.mode()) != "LEXORA");
        connect(stop_, &QPushButton::clicked, this, [this] {
            run_.requestCancel();
            stop_->setEnabled(false);
        });

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(stop_);
        buttons->addWidget(ok_);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(action_);
        layout->addWidget(list_, 1);
        layout->addWidget(progress_);
        layout->addWidget(last_);
        layout->addLayout(buttons);

        connect(this, &LogWindow::lineArrived, this, &LogWindow::showLine, Qt::QueuedConnection);
        connect(this, &LogWindow::progressArrived, this, &LogWindow::showProgress,
                Qt::QueuedConnection);
        connect(this, &LogWindow::runEnded, this, &LogWindow::finish, Qt::QueuedConnection);

        ApplyCaptions(this);
    }

    ~LogWindow() override {
        // Only reached with a running worker when exec() was left some other
        // way (the application quitting): stop it and wait, as it reports here.
        if (worker_.joinable()) {
            run_.requestCancel();
            worker_.join();
        }
    }

    compiler::CompileResult result() const { return result_; }

    void reject() override {
        if (running_) return;
        QDialog::reject();
    }

  signals:
    void lineArrived(const QString& text, const QString& iconKey);
    void progressArrived(int value, int maximum);
    void runEnded();

  protected:
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        if (started_) return;
        started_ = true;
        running_ = true;
        // Started from the event loop once the window shows, never inside a
        // handler that the run's own reports could re-enter.
        QTimer::singleShot(0, this, &LogWindow::start);
    }

    void closeEvent(QCloseEvent* e) override {
        if (running_) {
            e->ignore();
            return;
        }
        QDialog::closeEvent(e);
    }

    void keyPressEvent(QKeyEvent* e) override {
        // Enter must not reach a default button while the run goes on.
        if (running_ && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
                         e->key() == Qt::Key_Escape)) {
            e->accept();
            return;
        }
        QDialog::keyPressEvent(e);
    }

  private:
    // Runs on the worker thread: copies what it is given into queued signals.
    struct Forwarder : compiler::CompileObserver {
        explicit Forwarder(LogWindow& w) : window(w) {}
        void progress(int value, int maximum) override {
            emit window.progressArrived(value, maximum);
        }
        void log(const std::string& text, const std::string& iconKey) override {
            emit window.lineArrived(Q(text), Q(iconKey));
        }
        LogWindow& window;
    };

    void start() {
        busy_.emplace();
        worker_ = std::thread([this] {
            try {
                result_ = run_.run(observer_);
            } catch (const std::exception& ex) {
                failure_ = ex.what();
            } catch (...) {
                failure_ = "?";
            }
            emit runEnded();
        });
    }

    void showLine(const QString& text, const QString& iconKey) {
        auto* item = new QListWidgetItem(ResourceIcon(U(iconKey)), text, list_);
        list_->scrollToItem(item);
        last_->setText(text);
    }

    void showProgress(int value, int maximum) {
        progress_->setRange(0, std::max(maximum, 1));
        progress_->setValue(std::clamp(value, 0, std::max(maximum, 1)));
    }

    void finish() {
        worker_.join();
        running_ = false;
        busy_.reset();
        stop_->setEnabled(false);
        ok_->setEnabled(true);
        ok_->setDefault(true);
        ok_->setFocus();
        const std::string title = texts::GetText(kTextTitle);
        if (failure_) {
            result_.failed = std::max(result_.failed, 1);
            result_.message = *failure_;
        }
        if (result_.message.empty()) return;
        // Failed scenarios, or a configurator that would not start, are a
        // warning; a clean or cancelled run is news.
        const bool failed =
            result_.failed > 0 || failure_ || (str::ToUpper(run_.mode()) == "LEXORA");
        if (failed)
            Messages().warning(title, result_.message);
        else
            Messages().information(title, result_.message);
    }

    compiler::CompileRun& run_;
    Forwarder observer_;
    std::thread worker_;
    // Written by the worker, read on the window's thread only after the join.
    compiler::CompileResult result_;
    std::optional<std::string> failure_;
    std::optional<BusyCursor> busy_;
    bool started_ = false;
    bool running_ = false;

    QLabel* action_ = nullptr;
    QListWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* last_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace

compiler::CompileResult RunCompileWindow(QWidget* parent, compiler::CompileRun& run) {
    LogWindow window(parent, run);
    window.exec();
    return window.result();
}

compiler::CompileResult RunConfiguratorWindow(QWidget* parent) {
    compiler::CompileRun run("LEXORA", {});
    // The preparation reads the master connection: it runs on the window's
    // worker thread while the window's own thread only shows the log.
    run.setConfiguratorStarter([] { return configurator::PrepareConfigurator(); });
    return RunCompileWindow(parent, run);
}

}  // namespace tessed::ui

#include "log_window.moc"
