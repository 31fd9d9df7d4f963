#include "ui/chrome.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QWidget>

#include "env/environment.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::ui {

namespace {
constexpr const char* kTextId = "textId";
constexpr const char* kToolTipId = "toolTipId";
constexpr const char* kAccessibleId = "accessibleId";

QString plain(QString text) {
    // "&&" is a literal ampersand, a single "&" the mnemonic mark.
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

void applyToAction(QAction* a) {
    bool ok = false;
    long id = a->property(kTextId).toLongLong(&ok);
    if (ok && id > 0) {
        // A numbered text holding "&" shows it literally.
        QString t = Text(id);
        t.replace(QLatin1Char('&'), QLatin1String("&&"));
        a->setText(t);
    }
    long tip = a->property(kToolTipId).toLongLong(&ok);
    if (ok && tip > 0) a->setToolTip(Text(tip));
}

void applyToWidget(QWidget* w) {
    bool ok = false;
    long id = w->property(kTextId).toLongLong(&ok);
    if (ok && id > 0) {
        const QString t = Text(id);
        if (auto* m = qobject_cast<QMenu*>(w)) {
            QString title = t;
            title.replace(QLatin1Char('&'), QLatin1String("&&"));
            m->setTitle(title);
        } else if (w->isWindow()) {
            w->setWindowTitle(t);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->setText(t);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(t);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(t);
        }
        w->setAccessibleName(plain(t));
    }
    long tip = w->property(kToolTipId).toLongLong(&ok);
    if (ok && tip > 0) w->setToolTip(Text(tip));
    long acc = w->property(kAccessibleId).toLongLong(&ok);
    if (ok && acc > 0) w->setAccessibleName(Text(acc));
    for (QAction* a : w->actions()) applyToAction(a);
}

void assign(const QList<QAction*>& actions) {
    QSet<QChar> taken;
    // Keep the marks that are already there.
    for (QAction* a : actions) {
        const QString t = a->text();
        for (int i = 0; i + 1 < t.size(); ++i) {
            if (t[i] == QLatin1Char('&') && t[i + 1] != QLatin1Char('&')) {
                taken.insert(t[i + 1].toLower());
                break;
            }
            if (t[i] == QLatin1Char('&')) ++i;
        }
    }
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        QString t = a->text();
        bool marked = false;
        for (int i = 0; i + 1 < t.size(); ++i) {
            if (t[i] == QLatin1Char('&') && t[i + 1] != QLatin1Char('&')) marked = true;
            if (t[i] == QLatin1Char('&')) ++i;
        }
        if (!marked) {
            for (int i = 0; i < t.size(); ++i) {
                if (t[i] == QLatin1Char('&')) {  // a literal "&&"
                    ++i;
                    continue;
                }
                QChar c = t[i].toLower();
                if (!c.isLetterOrNumber() || taken.contains(c)) continue;
                taken.insert(c);
                t.insert(i, QLatin1Char('&'));
                a->setText(t);
                break;
            }
        }
        if (a->menu()) AssignMnemonics(a->menu());
    }
}

std::shared_ptr<FileChooser>& chooser() {
    static std::shared_ptr<FileChooser> c = std::make_shared<QtFileChooser>();
    return c;
}

QWidget* activeParent() { return QApplication::activeWindow(); }

QMessageBox::StandardButton show(QMessageBox::Icon icon, const std::string& title,
                                 const std::string& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton fallback) {
    QMessageBox box(icon, Q(title), Q(text), buttons, activeParent());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    // The buttons speak the catalogue's language, not the toolkit's.
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(Text(1644));
    if (auto* b = box.button(QMessageBox::No)) b->setText(Text(1645));
    if (auto* b = box.button(QMessageBox::Ok)) b->setText(Text(1004));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(Text(1005));
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    int r = box.exec();
    return r == 0 ? fallback : QMessageBox::StandardButton(r);
}

Answer toAnswer(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return Answer::Cancel;
    }
}

QString filterOf(const QString& name, const QString& pattern) {
    return name + QStringLiteral(" (") + pattern + QStringLiteral(")");
}

}  // namespace

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string U(const QString& text) {
    QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

QString Text(long id) { return Q(texts::GetText(id)); }

void SetTextId(QObject* o, long textId, long toolTipId) {
    o->setProperty(kTextId, qlonglong(textId));
    if (toolTipId) o->setProperty(kToolTipId, qlonglong(toolTipId));
}

void SetAccessibleId(QWidget* w, long textId) { w->setProperty(kAccessibleId, qlonglong(textId)); }

void ApplyCaptions(QWidget* root) {
    applyToWidget(root);
    for (QWidget* w : root->findChildren<QWidget*>()) applyToWidget(w);
    for (QMenuBar* bar : root->findChildren<QMenuBar*>()) AssignMnemonics(bar);
}

void AssignMnemonics(QMenuBar* bar) { assign(bar->actions()); }
void AssignMnemonics(QMenu* menu) { assign(menu->actions()); }

QIcon ResourceIcon(const std::string& name) {
    static QHash<QString, QIcon> cache;
    if (name.empty() || name.find('/') != std::string::npos) return {};
    std::string file = name;
    if (file.find('.') == std::string::npos) file += ".gif";
    const QString key = Q(file);
    auto it = cache.find(key);
    if (it != cache.end()) return *it;
    const auto path = env::Env().resourcesFolder() / file;
    QIcon icon;
    if (std::filesystem::is_regular_file(path)) icon = QIcon(Q(path.string()));
    cache.insert(key, icon);
    return icon;
}

void QtMessageBoxes::warning(const std::string& title, const std::string& text) {
    show(QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}
void QtMessageBoxes::critical(const std::string& title, const std::string& text) {
    show(QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}
void QtMessageBoxes::information(const std::string& title, const std::string& text) {
    show(QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}
Answer QtMessageBoxes::yesNo(const std::string& title, const std::string& text) {
    return toAnswer(show(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No));
}
Answer QtMessageBoxes::yesNoCancel(const std::string& title, const std::string& text) {
    return toAnswer(show(QMessageBox::Question, title, text,
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                         QMessageBox::Cancel));
}

std::optional<std::string> QtFileChooser::openFile(QWidget* parent, const QString& title,
                                                   const QString& filterName,
                                                   const QString& pattern,
                                                   const std::string& startFolder) {
    QString f =
        QFileDialog::getOpenFileName(parent, title, Q(startFolder), filterOf(filterName, pattern));
    if (f.isEmpty()) return std::nullopt;
    return U(f);
}

std::optional<std::string> QtFileChooser::saveFile(QWidget* parent, const QString& title,
                                                   const QString& filterName,
                                                   const QString& pattern,
                                                   const std::string& proposed) {
    QString f =
        QFileDialog::getSaveFileName(parent, title, Q(proposed), filterOf(filterName, pattern));
    if (f.isEmpty()) return std::nullopt;
    return U(f);
}

std::optional<std::string> FileChooser::openFolder(QWidget*, const QString&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> QtFileChooser::openFolder(QWidget* parent, const QString& title,
                                                     const std::string& startFolder) {
    QString f = QFileDialog::getExistingDirectory(parent, title, Q(startFolder));
    if (f.isEmpty()) return std::nullopt;
    return U(f);
}

FileChooser& Files() { return *chooser(); }

void SetFiles(std::shared_ptr<FileChooser> c) {
    chooser() = c ? std::move(c) : std::make_shared<QtFileChooser>();
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

std::string WithExtension(const std::string& path, const std::string& extension) {
    const bool has =
        path.size() >= extension.size() &&
        str::IEquals(std::string_view(path).substr(path.size() - extension.size()), extension);
    return has ? path : path + extension;
}

}  // namespace tessed::ui
