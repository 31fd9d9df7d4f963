#pragma once
// What the window tests share: file dialogs answered from a queue, and a
// modal window driven from inside its own loop.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "ui/chrome.h"

namespace tessed::test {

// File and folder dialogs answered from a queue; a missing answer is a cancel.
struct ScriptedFiles : ui::FileChooser {
    std::deque<std::string> answers;
    int asked = 0;
    std::optional<std::string> next() {
        ++asked;
        if (answers.empty()) return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> openFile(QWidget*, const QString&, const QString&, const QString&,
                                        const std::string&) override {
        return next();
    }
    std::optional<std::string> saveFile(QWidget*, const QString&, const QString&, const QString&,
                                        const std::string&) override {
        return next();
    }
    std::optional<std::string> openFolder(QWidget*, const QString&, const std::string&) override {
        return next();
    }
};

inline QWidget* shownWindow(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// Runs `act` on the window called `name` once it shows, from inside its modal
// loop. A failed check closes the window, so the test ends instead of waiting
// for a user.
inline void whenShown(const QString& name, std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [name, act] {
        QWidget* w = nullptr;
        const bool shown =
            QTest::qWaitFor([&] { return (w = shownWindow(name)) != nullptr; }, 5000);
        QVERIFY2(shown, qPrintable(name + " never showed"));
        act(w);
        if (QTest::currentTestFailed())
            if (auto* d = qobject_cast<QDialog*>(w)) d->done(QDialog::Rejected);
    });
}

}  // namespace tessed::test
