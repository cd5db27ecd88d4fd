// Laying out one outcome and opening the download page on request.
#include "qt/settings/update_window.h"

#include "core/base/localization.h"
#include "qt/settings/settings_style.h"
#include "qt/settings/symbol_icons.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx::qt {

UpdateWindow::UpdateWindow(std::function<bool(const QUrl&)> openUrl, QWidget* parent)
    : QDialog(parent), openUrl_(std::move(openUrl)), icon_(new QLabel), title_(new QLabel),
      message_(new QLabel), notes_(new QLabel), download_(new QPushButton),
      close_(new QPushButton) {
    if (!openUrl_)
        openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    setWindowTitle(QString::fromStdString(localized("Software Update")));
    setMinimumWidth(360);
    title_->setFont(style::font(14, QFont::DemiBold));
    title_->setWordWrap(true);
    message_->setWordWrap(true);
    notes_->setWordWrap(true);
    notes_->setTextFormat(Qt::PlainText);
    message_->setTextFormat(Qt::PlainText);
    title_->setTextFormat(Qt::PlainText);
    notes_->setFont(style::captionFont());
    notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    download_->setText(QString::fromStdString(localized("Download…")));
    download_->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(title_);
    texts->addWidget(message_);
    texts->addWidget(notes_);
    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_);
    buttons->addWidget(download_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 14);
    column->setSpacing(16);
    column->addLayout(top);
    column->addLayout(buttons);

    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(download_, &QPushButton::clicked, this, [this] {
        if (openUrl_(QUrl(QString::fromStdString(outcome_.downloadURL), QUrl::StrictMode)))
            accept();
        else
            message_->setText(QString::fromStdString(
                localized("The download page could not be opened. Its address is %1",
                          {outcome_.downloadURL})));
    });
}

void UpdateWindow::showOutcome(const UpdateCheckOutcome& outcome) {
    outcome_ = outcome;
    const bool available = outcome.kind == UpdateCheckOutcome::Kind::updateAvailable;
    const bool failed = outcome.kind == UpdateCheckOutcome::Kind::failed;
    const Rgb tint = failed      ? palette::orangeAccent
                     : available ? palette::blueAccent
                                 : palette::greenAccent;
    const std::string symbol = failed      ? "exclamationmark.shield.fill"
                               : available ? "arrow.triangle.2.circlepath"
                                           : "checkmark.shield.fill";
    icon_->setPixmap(tintedSymbol(symbol, style::color(tint), 36, devicePixelRatioF()));
    title_->setText(QString::fromStdString(outcome.title));
    message_->setText(QString::fromStdString(outcome.message));
    notes_->setText(QString::fromStdString(outcome.notes));
    notes_->setVisible(available && !outcome.notes.empty());
    download_->setVisible(available);
    close_->setText(QString::fromStdString(available ? localized("Later") : localized("OK")));
    close_->setDefault(!available);
    adjustSize();
    show();
    raise();
    activateWindow();
}

} // namespace vx::qt
