#include "ui/splash.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "env/environment.h"
#include "env/texts.h"
#include "env/version.h"
#include "ui/chrome.h"

namespace tessed::ui {

QString SplashWindow::VersionText() {
    // The words are the product's own, in every language.
    return QStringLiteral("version %1.%2\r build     %3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

SplashWindow::SplashWindow(Role role, QWidget* parent) : QDialog(parent) {
    setObjectName(role == Role::About ? QStringLiteral("frmAbout") : QStringLiteral("frmSplash"));
    setWindowTitle(QString::fromUtf8(texts::kAppName));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("imgSplash"));
    picture_->setAlignment(Qt::AlignCenter);
    QPixmap pixmap(Q(env::Env().splashPicture().string()));
    if (!pixmap.isNull()) picture_->setPixmap(pixmap);
    picture_->setAccessibleName(QString::fromUtf8(texts::kAppName));
    picture_->setVisible(!pixmap.isNull());
    layout->addWidget(picture_);

    auto* name = new QLabel(QString::fromUtf8(texts::kAppName), this);
    name->setObjectName(QStringLiteral("lblAppName"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    // The carriage return of the version text is a line break on screen.
    QString version = VersionText();
    version.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    auto* versionLabel = new QLabel(version, this);
    versionLabel->setObjectName(QStringLiteral("lblVersion"));
    versionLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(versionLabel);

    if (role == Role::About) {
        // The about box closes with its button, Enter or Escape.
        close_ = new QPushButton(this);
        close_->setObjectName(QStringLiteral("cmdOK"));
        SetTextId(close_, 1004);
        close_->setDefault(true);
        connect(close_, &QPushButton::clicked, this, &QDialog::accept);
        layout->addWidget(close_, 0, Qt::AlignCenter);
        SetTextId(this, 1519);
        ApplyCaptions(this);
    } else {
        setWindowFlag(Qt::SplashScreen, true);
    }
}

}  // namespace tessed::ui
