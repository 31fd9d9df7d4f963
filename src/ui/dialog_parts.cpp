#include "ui/dialog_parts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "editor/property_dialog.h"
#include "ui/chrome.h"

namespace tessed::ui {

void ShowList(QComboBox* box, const editor::ChoiceList& list) {
    const QSignalBlocker block(box);
    bool same = box->count() == list.count();
    for (int i = 0; same && i < list.count(); ++i)
        same = box->itemData(i).toInt() == list.item(i).data &&
               box->itemText(i) == Q(list.item(i).text);
    if (!same) {
        box->clear();
        for (int i = 0; i < list.count(); ++i)
            box->addItem(Q(list.item(i).text), list.item(i).data);
    }
    box->setCurrentIndex(list.index());
    box->setEnabled(list.enabled);
}

void PaintInput(QWidget* w, uint32_t rgb) {
    QPalette p = w->palette();
    const QColor c = QColor::fromRgb(QRgb(rgb));
    // Disabled inputs must keep the colour too: it is what says they are.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, c);
        p.setColor(group, QPalette::Button, c);
        p.setColor(group, QPalette::Window, c);
    }
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

uint32_t InputBackground(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::Base).rgb() & 0xFFFFFFu;
}

QValidator* DigitsValidator(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parent);
}

int ModelKey(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return editor::kKeyEnter;
        case Qt::Key_Escape:
            return editor::kKeyEscape;
        default:
            return 0;
    }
}

ImageButtonWidget::ImageButtonWidget(QWidget* parent) : QPushButton(parent) {
    // Enter belongs to the dialog, which asks the core what it does.
    setAutoDefault(false);
    setDefault(false);
}

void ImageButtonWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setDown(true);
    if (onPress) onPress();
}

void ImageButtonWidget::mouseMoveEvent(QMouseEvent*) {
    // Stays drawn pressed until the release, wherever the mouse goes.
}

void ImageButtonWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setDown(false);
    const QPoint p = e->position().toPoint();
    if (onRelease) onRelease(p.x(), p.y(), width() - 1, height() - 1);
}

void ImageButtonWidget::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        setDown(true);
        if (onPress) onPress();
        return;
    }
    QPushButton::keyPressEvent(e);
}

void ImageButtonWidget::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        setDown(false);
        if (onRelease) onRelease(0, 0, width() - 1, height() - 1);
        return;
    }
    QPushButton::keyReleaseEvent(e);
}

}  // namespace tessed::ui

// The meta-object code of this file's own classes, kept in this object.
#include "moc_dialog_parts.cpp"
